// Malformed files of every kind the engine opens, each loaded in a child process of its own so that a crash,
// a hang or a runaway allocation shows as that case's failure: every case must end normally within 2 seconds,
// stay under 16 times its input's size plus 64 MiB of peak memory, and give the outcome its row expects.
#include <cerrno>
#include <chrono>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "ColladaText.h"
#include "Colladaasset.h"
#include "Colladaengine.h"
#include "FileRead.h"
#include "GlTestContext.h"
#include "ImageDecoders.h"
#include "TestImages.h"

namespace {

// The slowest input takes about a second on an idle machine; a cold start beside other tests on two cores
// can take twice that and more, and a runaway would still take minutes.
constexpr double MaxSeconds = 8.0;
constexpr long long MemoryAllowance = 64LL << 20;
// The bounds hold for the optimised build. AddressSanitizer's shadow memory, redzones and checks widen both
// for the largest inputs; a runaway would still exceed the wider bounds many times over.
#if defined(__SANITIZE_ADDRESS__)
constexpr long long Sanitized = 2;
#else
constexpr long long Sanitized = 1;
#endif

// What a child made of one file: the result line its loader returned (or the error it raised), its standard
// error, how it ended, how long it took and its peak resident memory.
struct TChildRun {
    std::string Result;
    std::string Errors;
    int Status = 0;
    double Seconds = 0;
    long long PeakBytes = 0;
};

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0) text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

std::string SlurpFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TChildRun RunInChild(const std::function<std::string()>& work) {
    const std::string errorsPath = TTempFile::Directory() + "/child-stderr";
    std::filesystem::create_directories(TTempFile::Directory());
    int fds[2];
    if (pipe(fds) != 0) return {"pipe failed", "", -1};
    std::fflush(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (!std::freopen(errorsPath.c_str(), "w", stderr)) _exit(3);
        alarm(30);  // a hang ends as SIGALRM instead of stalling the suite
        std::string result;
        try {
            result = work();
        } catch (const std::exception& error) {
            result = std::string("error: ") + error.what();
        }
        std::fflush(stderr);
        const char* at = result.data();
        for (std::size_t left = result.size(); left > 0;) {
            const ssize_t put = write(fds[1], at, left);
            if (put <= 0) _exit(4);
            at += put;
            left -= static_cast<std::size_t>(put);
        }
        _exit(0);
    }
    close(fds[1]);
    TChildRun run;
    run.Result = ReadAll(fds[0]);
    close(fds[0]);
    rusage usage{};
    wait4(pid, &run.Status, 0, &usage);
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.PeakBytes = static_cast<long long>(usage.ru_maxrss) * 1024;
    run.Errors = SlurpFile(errorsPath);
    std::filesystem::remove(errorsPath);
    return run;
}

std::string Join(const TFloatArray& values) {
    std::ostringstream out;
    for (std::size_t i = 0; i < values.Count(); ++i) out << (i ? " " : "") << values[i];
    return out.str();
}

// A loaded document in one line: each geometry's streams and what was left out, each node's links.
std::string LoadDocument(const std::string& path) {
    TXmlDocument document;
    TColladaAsset asset(&document);
    if (!asset.LoadFromFile(path)) return "not loaded";
    std::ostringstream out;
    out << "loaded";
    for (const auto& g : asset.Geometries->Items) {
        out << " | geometry " << g->Name << " positions [" << Join(g->Positions) << "] indices "
            << g->TriangleIndices.Count() << "+" << g->LineIndices.Count() << " outside " << g->OutOfRangeIndices
            << " dropped " << g->DroppedSlots;
    }
    for (const auto& n : asset.VisualScenes->Items)
        out << " | node " << n->Name << " -> " << n->GeometryIndex << "/" << n->EffectIndex;
    return out.str();
}

std::string Describe(const TDecodedImage& image) {
    std::ostringstream out;
    out << "decoded " << image.Width << "x" << image.Height << " top-left " << int(image.Rgb[0]) << ","
        << int(image.Rgb[1]) << "," << int(image.Rgb[2]);
    return out.str();
}

std::string LoadBmp(const std::string& path) { return Describe(DecodeBmpFile(path)); }
std::string LoadJpeg(const std::string& path) { return Describe(DecodeJpegFile(path)); }

std::string ReadShader(const std::string& path) {
    TShader shader("Bad", path, path);
    shader.ReadSources();
    return "read " + std::to_string(shader.VertexSource.size()) + " bytes";
}

// The file as a fragment program through a headless engine, beside a vertex program that compiles.
std::string BuildShader(const std::string& path) {
    const std::string vertexPath = path + ".vert";
    std::ofstream(vertexPath) << "void main() { gl_Position = ftransform(); }\n";
    THeadlessEngine headless;
    TShaderEngine& shaders = *headless.Engine->ShaderEngine;
    shaders.AddShader("Bad", vertexPath, path);
    shaders.BuildAll();
    shaders.UseShader(0);
    const int one = 1;
    shaders.Shaders[0]->SetUniform("Missing", 1, &one);
    std::filesystem::remove(vertexPath);
    return "built";
}

// What a child holds before it reads anything: the pages it shares with this process (which grow as cases
// run, more so under AddressSanitizer's quarantine), and for the shader rows also the GL driver's, which no
// input drives. Only what a load adds to that counts against its budget.
long long BaselineBytes(bool withGl) {
    return RunInChild([withGl] {
               if (withGl) THeadlessEngine headless;
               return std::string();
           })
        .PeakBytes;
}

enum class TKind { File, Directory, Fifo, DevZero };

struct TBadInput {
    std::string Name;
    std::string FileName;
    std::function<std::string()> Bytes;  // the file's content, for TKind::File
    std::function<std::string(const std::string&)> Load;
    std::vector<std::string> Expected{};  // parts of the result, in order; "{file}" stands for the path
    TKind Kind = TKind::File;
    const char* Locale = nullptr;  // set in the child before loading
    std::string ErrorLog{};        // part of what the child must print on standard error
    bool UsesGl = false;
    long long SparseSize = 0;     // > 0: the file is extended to this size with a hole after its content
    long long MemoryFactor = 16;  // peak memory allowed per byte of input, beside the fixed allowance
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A node at the origin, neither turned nor scaled, instancing the geometry at url.
std::string NodeAtOrigin(const std::string& url, const std::string& symbol = "") {
    return Node("N", Placement({0, 0, 0}, {0, 0, 0}, {1, 1, 1}) + InstanceGeometry(url, symbol));
}

// A conventional document around one geometry "G" (or raw library content) and one node instancing it. The
// geometries stand on lines of their own, from line 4.
std::string Document(const std::string& geometries, const std::string& nodes = "") {
    return Collada(Geometries("\n" + geometries + "\n") + "\n" + SceneWith(nodes.empty() ? NodeAtOrigin("#G") : nodes));
}

// Geometry "G" with its positions' <float_array> text on a line of its own (line 5 of a Document).
std::string Geometry(const std::string& floatArray, const std::string& primitive = "") {
    return Mesh("G", "\n" + Source("G-Position", floatArray) + "\n" + primitive);
}

std::string Positions(const std::string& countAttribute, const std::string& text) {
    return Document(Geometry("<float_array" + countAttribute + ">" + text + "</float_array>"));
}

std::string Triangles(int count, const std::string& p, int inputs = 1, bool withNormals = false) {
    const std::string normals = inputs > 1 || withNormals ? Source("G-Normals", 3, "0 0 1") : "";
    return Document(
        Mesh("G", Source("G-Position", 9, "1 2 3 4 5 6 7 8 9") + normals + Primitive("triangles", count, inputs, p)));
}

// Many geometries, each instanced by a node placed last-to-first, so that a look-up by name that walks the
// list costs the product of both counts.
std::string ManyGeometries(int count) {
    std::string geometries, nodes;
    for (int i = 0; i < count; ++i) {
        const std::string name = "G" + std::to_string(i);
        geometries += Mesh(name, Source(name + "-Position", 3, "1 2 3")) + "\n";
    }
    for (int i = count - 1; i >= 0; --i) nodes += NodeAtOrigin("#G" + std::to_string(i)) + "\n";
    return Document(geometries, nodes);
}

std::string Bmp(TBmpFields fields) { return WriteBmp(fields); }

TBmpFields Plain24(int width, int height) {
    TBmpFields f;
    f.Width = width;
    f.Height = height;
    f.Pixels = Rows24(Gradient(width, height < 0 ? -height : height), height < 0);
    return f;
}

std::string Jpeg(const TJpegOptions& options = {}) { return WriteJpeg(ThreeByTwo(), options); }

// Sets the two bytes of the frame header's height and width (after the SOF marker's length and precision).
std::string JpegWithSize(int width, int height) {
    std::string file = Jpeg();
    const std::size_t sof = file.find("\xFF\xC0");
    file[sof + 5] = char(height >> 8);
    file[sof + 6] = char(height & 0xFF);
    file[sof + 7] = char(width >> 8);
    file[sof + 8] = char(width & 0xFF);
    return file;
}

// Rewrites the frame header's marker (0xC0: baseline) and its sample precision.
std::string JpegWithFrame(char marker, char precision) {
    std::string file = Jpeg();
    const std::size_t sof = file.find("\xFF\xC0");
    file[sof + 1] = marker;
    file[sof + 4] = precision;
    return file;
}

// Damages the first Huffman table so that its code counts claim more codes than 16 bits can hold.
std::string JpegWithBadHuffmanTable() {
    std::string file = Jpeg();
    const std::size_t dht = file.find("\xFF\xC4");
    for (int i = 0; i < 16; ++i) file[dht + 5 + i] = char(0xFF);
    return file;
}

std::string Cut(std::string file, double share) {
    file.resize(static_cast<std::size_t>(file.size() * share));
    return file;
}

// The document as UTF-16 (little-endian, with a byte-order mark); the text holds characters of one to three
// UTF-8 bytes only.
std::string Utf16(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        unsigned value = length == 1 ? lead : length == 2 ? lead & 0x1F : lead & 0x0F;
        for (std::size_t k = 1; k < length; ++k) value = value << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += char(value & 0xFF);
        out += char(value >> 8);
        i += length;
    }
    return out;
}

// Loads a valid document, swaps its file for a FIFO, and only then asks for an element's line: the line comes
// from the bytes already read, so the message neither waits for a writer nor changes.
std::string LineAfterSwapForFifo(const std::string& path) {
    TXmlDocument document;
    document.LoadFromFile(path);
    std::filesystem::remove(path);
    if (mkfifo(path.c_str(), 0600) != 0) return "mkfifo failed";
    const TXmlNode second = document.DocumentElement().FirstChild("second");
    try {
        second.Fail("is here");
    } catch (const TXmlError& error) {
        std::filesystem::remove(path);
        return std::string("error: ") + error.what();
    }
    return "no error";
}

// A JPEG that declares 8192 x 8192 pixels over the entropy-coded data of a small image.
std::string LargeFrameOver(const std::string& small) {
    std::string file = small;
    std::size_t sof = file.find("\xFF\xC2");
    if (sof == std::string::npos) sof = file.find("\xFF\xC0");
    file[sof + 5] = file[sof + 7] = char(0x20);
    file[sof + 6] = file[sof + 8] = 0;
    return file;
}

// A progressive JPEG whose last scan is repeated until it has `scans` in all.
std::string JpegOfScans(int scans) {
    TJpegOptions options;
    options.Scans = 10;
    const std::string file = WriteJpeg(Gradient(16, 16), options);
    const std::size_t last = file.rfind("\xFF\xDA");
    const std::string scan = file.substr(last, file.size() - 2 - last);
    std::string out = file.substr(0, file.size() - 2);
    for (int i = 10; i < scans; ++i) out += scan;
    return out + "\xFF\xD9";
}

// A progressive JPEG from which every DC scan has been taken out, declaring 8192 x 8192 pixels: what is left
// are AC scans whose end-of-band runs let a few bytes stand for every block.
std::string JpegOfAcScansOnly() {
    TJpegOptions options;
    options.Scans = 100;
    const std::string file = LargeFrameOver(WriteJpeg(Gradient(64, 64), options));
    std::string out;
    std::size_t at = 0;
    for (std::size_t scan = file.find("\xFF\xDA"); scan != std::string::npos; scan = file.find("\xFF\xDA", at)) {
        const std::size_t header = (std::size_t(std::uint8_t(file[scan + 2])) << 8) | std::uint8_t(file[scan + 3]);
        const bool dc = file[scan + 2 + header - 3] == 0;  // the spectral start, three bytes from the end
        out += file.substr(at, scan - at);
        at = file.find('\xFF', scan + 2 + header);
        while (at != std::string::npos &&
               (file[at + 1] == 0 || (std::uint8_t(file[at + 1]) >= 0xD0 && std::uint8_t(file[at + 1]) <= 0xD7)))
            at = file.find('\xFF', at + 2);
        if (!dc) out += file.substr(scan, at - scan);
    }
    return out + file.substr(at);
}

// A grey progressive JPEG of 8192 x 8192 pixels written by hand: a DC scan of one bit per block (the least a
// real image needs), then AC scans made of end-of-band runs of 32767 blocks each, some sixty bytes per scan.
std::string JpegOfEmptyBandRuns(int acScans) {
    std::string file = "\xFF\xD8";
    file += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    file += std::string("\xFF\xC2\x00\x0B\x08\x20\x00\x20\x00\x01\x01\x11\x00", 13);
    const std::string oneCode = std::string("\x01") + std::string(15, '\0');
    file += std::string("\xFF\xC4\x00\x14\x00", 5) + oneCode + std::string(1, '\x00');  // DC: category 0
    file += std::string("\xFF\xC4\x00\x14\x10", 5) + oneCode + "\xE0";                  // AC: run of 2^14+
    file += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x00\x00", 10);
    const long long blocks = 1024LL * 1024;
    file += std::string(static_cast<std::size_t>(blocks / 8), '\0');
    for (int scan = 0; scan < acScans; ++scan) {
        file += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x01\x3F\x00", 10);
        std::string bits;
        for (long long covered = 0; covered < blocks; covered += 32767) bits += "011111111111111";
        bits.append((8 - bits.size() % 8) % 8, '1');
        for (std::size_t i = 0; i < bits.size(); i += 8) {
            const char byte = char(std::stoi(bits.substr(i, 8), nullptr, 2));
            file += byte;
            if (byte == '\xFF') file += '\0';
        }
    }
    return file + "\xFF\xD9";
}

// A store already holding 50 000 textures under distinct names (entered as the list allows, without GL),
// and a duplicate of the first key at its end: every name is found again, in reverse order, at its own index,
// and the duplicate key at the first entry's. A look-up that walks the list costs the square of the count.
std::string ManyTextureNames(const std::string&) {
    constexpr int count = 50000;
    TTextureEngine store;
    const auto add = [&](const std::string& name, int unit) {
        auto texture = std::make_unique<TTexture>();
        texture->FileName = name;
        texture->Unit = unit;
        store.Textures.Add(std::move(texture));
    };
    for (int i = 0; i < count; ++i) add("texture" + std::to_string(i) + ".png", 0x84C0 + i % 2);
    add("texture0.png", 0x84C0);
    int misplaced = 0;
    for (int i = count - 1; i >= 0; --i)
        misplaced += store.LoadTexture("texture" + std::to_string(i) + ".png", 0x84C0 + i % 2) != i;
    return std::to_string(misplaced) + " misplaced of " + std::to_string(count) + "; duplicate key at " +
           std::to_string(store.LoadTexture("texture0.png", 0x84C0));
}

// Two textures from one 3 x 2 bitmap with a budget of 8 pixels: the first takes 6, the second is refused
// before any GL object is made for it.
std::string TexturesOverABudget(const std::string& path) {
    THeadlessEngine headless;
    long long budget = 8;
    TTexture first, second;
    first.LoadImageFile(path, 0x84C0, &budget);
    std::string result = "left " + std::to_string(budget);
    try {
        second.LoadImageFile(path, 0x84C0, &budget);
    } catch (const TImageError& error) {
        result += std::string(" | error: ") + error.what();
    }
    return result + " | second id " + std::to_string(second.Id);
}

std::vector<TBadInput> Catalogue() {
    const auto doc = LoadDocument;
    const auto text = [](std::string s) { return [s] { return s; }; };
    const auto repeated = [](std::string_view unit, std::size_t bytes) {
        std::string s;
        s.reserve(bytes);
        while (s.size() + unit.size() <= bytes) s += unit;
        return s;
    };
    const std::string smallGeometry = Geometry("<float_array count=\"3\">1 2 3</float_array>");
    std::vector<TBadInput> rows = {
        // Files that cannot be read as such.
        {"EmptyDocument", "empty.dae", text(""), doc, {"error: {file}:1:1:"}},
        {"EmptyBmp", "empty.bmp", text(""), LoadBmp, {"error: {file}: "}},
        {"EmptyJpeg", "empty.jpg", text(""), LoadJpeg, {"error: {file}: "}},
        {"EmptyShaderSource", "empty.frag", text(""), ReadShader, {"read 0 bytes"}},
        {"DirectoryAsDocument", "dir.dae", {}, doc, {"error: {file}: not a regular file"}, TKind::Directory},
        {"FifoAsDocument", "fifo.dae", {}, doc, {"error: {file}: not a regular file"}, TKind::Fifo},
        {"DevZeroAsDocument", "", {}, doc, {"error: {file}: not a regular file"}, TKind::DevZero},
        {"DirectoryAsBmp", "dir.bmp", {}, LoadBmp, {"error: ", "{file}"}, TKind::Directory},
        {"FifoAsJpeg", "fifo.jpg", {}, LoadJpeg, {"error: ", "{file}"}, TKind::Fifo},
        {"DevZeroAsBmp", "", {}, LoadBmp, {"error: ", "{file}"}, TKind::DevZero},
        {"DirectoryAsShaderSource", "dir.frag", {}, ReadShader, {"error: ", "{file}"}, TKind::Directory},
        {"FifoAsShaderSource", "fifo.vert", {}, ReadShader, {"error: ", "{file}"}, TKind::Fifo},
        {"DevZeroAsShaderSource", "", {}, ReadShader, {"error: ", "{file}"}, TKind::DevZero},

        // Files whose size no image could have, refused from their header without being read.
        {.Name = "SparseThreeGigabyteFileThatIsNoBitmap",
         .FileName = "sparse.bmp",
         .Bytes = text("not a bitmap"),
         .Load = LoadBmp,
         .Expected = {"error: {file}: not a BMP file"},
         .SparseSize = 3LL << 30},
        {.Name = "SparseFifteenTerabyteBitmapIsRefusedUnread",
         .FileName = "sparse2.bmp",
         .Bytes = [] { return Bmp(Plain24(2, 2)); },
         .Load = LoadBmp,
         .Expected = {"error: {file}: file of 16492674416640 bytes is larger than the image its header declares"},
         .SparseSize = 15LL << 40},
        {.Name = "SparseThreeGigabyteJpegIsRefusedUnread",
         .FileName = "sparse.jpg",
         .Bytes = [] { return Jpeg(); },
         .Load = LoadJpeg,
         .Expected = {"error: {file}: file of 3221225472 bytes is larger than any image accepted"},
         .SparseSize = 3LL << 30},
        {.Name = "SmallJpegWithSparseTailIsRefusedUnread",
         .FileName = "sparse2.jpg",
         .Bytes = [] { return Jpeg(); },
         .Load = LoadJpeg,
         .Expected = {"error: {file}: file of 209715200 bytes is larger than the image its header"},
         .SparseSize = 200LL << 20},

        // Documents that are not XML.
        {"NotXml", "text.dae", text("hello, world\n"), doc, {"error: {file}:1:"}},
        {"XmlCutMidTag", "cut.dae", text("<COLLADA>\n<library_geometries>\n<geom"), doc, {"error: {file}:3:"}},
        {"JpegRenamedDae", "photo.dae", [] { return Jpeg(); }, doc, {"error: {file}:", "malformed XML"}},
        {"DeepNestingInVisualScene",
         "deep1.dae",
         [] {
             return Document(Geometry("<float_array count=\"3\">1 2 3</float_array>"),
                             Node("N", Nested("node", 100000)));
         },
         doc,
         {"loaded"}},
        {"DeepNestingInExtra",
         "deep2.dae",
         [] {
             return Document(Geometry("<float_array count=\"3\">1 2 3</float_array>",
                                      "<extra>" + Nested("extra", 100000) + "</extra>"));
         },
         doc,
         {"loaded", "positions [1 2 3]"}},
        {"ControlAndInvalidBytesInNamesAreEscaped",
         "bytes.dae",
         text(Document("<geometry name=\"G\x01\xFF\"><mesh><source id=\"G\x01\xFF-Position\"><float_array count="
                       "\"3\x01\xFF\">1 2 3</float_array></source></mesh></geometry>")),
         doc,
         {"error: {file}:4: <float_array> attribute \"count\" is not a 32-bit integer:", "\\x01\\xFF"}},

        // Names and lines in messages.
        {"EscapeSequencesInImageNameAreEscaped",
         "esc\x1B[2J\x1B]0;title\x07.bmp",
         text("not a bitmap"),
         LoadBmp,
         {"error: ", "esc\\x1B[2J\\x1B]0;title\\x07.bmp: not a BMP file"}},
        {"EscapeSequencesInDocumentNameAreEscaped",
         "esc\x1B[2J\x9B.dae",
         text("<a>"),
         doc,
         {"error: ", "esc\\x1B[2J\\x9B.dae:1:3: malformed XML"}},
        {"C1ControlInAttributeIsEscaped",
         "c1.dae",
         text(Document(Geometry("<float_array count=\"3\xC2\x9B\">1 2 3</float_array>"))),
         doc,
         {"error: {file}:", "\"3\\xC2\\x9B\""}},
        {"LineOfElementAfterFileSwappedForFifo",
         "swap.dae",
         text("<first>\n\n<second/>\n</first>\n"),
         LineAfterSwapForFifo,
         {"error: {file}:3: <second> is here"}},
        {"Utf16DocumentNamesTheLineOfTheElement",
         "u16.dae",
         [] {
             return Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<!-- \u00E9\u00E9\u00E9 \u20AC\u20AC -->\n" +
                          Document("<geometry><mesh/></geometry>").substr(22));
         },
         doc,
         {"error: {file}:5: <geometry> has no attribute \"name\""}},
        {"Utf16DocumentNamesTheLineOfMalformedXml",
         "u16b.dae",
         [] { return Utf16("<a>\n<!-- \u00E9\u00E9\u00E9\u00E9\u00E9\u00E9 -->\n\n<b></c>"); },
         doc,
         {"error: {file}:4:"}},

        // Declared counts.
        {"CountNegative",
         "c1.dae",
         text(Positions(" count=\"-1\"", "1 2 3")),
         doc,
         {"error: {file}:", "<float_array>", "negative"}},
        {"CountBeyond32Bits",
         "c2.dae",
         text(Positions(" count=\"4294967296\"", "1")),
         doc,
         {"error: {file}:", "<float_array> attribute \"count\" is not a 32-bit integer"}},
        {"CountOfTwentyDigits",
         "c3.dae",
         text(Positions(" count=\"99999999999999999999\"", "1")),
         doc,
         {"error: {file}:", "<float_array> attribute \"count\" is not a 32-bit integer"}},
        {"CountWithExponent",
         "c4.dae",
         text(Positions(" count=\"1e3\"", "1")),
         doc,
         {"error: {file}:", "<float_array> attribute \"count\" is not a 32-bit integer"}},
        {"CountInHex",
         "c5.dae",
         text(Positions(" count=\"0x10\"", "1")),
         doc,
         {"error: {file}:", "<float_array> attribute \"count\" is not a 32-bit integer"}},
        {"CountEmpty",
         "c6.dae",
         text(Positions(" count=\"\"", "1")),
         doc,
         {"error: {file}:", "<float_array> attribute \"count\" is not a 32-bit integer"}},
        {"CountMissing",
         "c7.dae",
         text(Positions("", "1 2 3")),
         doc,
         {"error: {file}:", "<float_array> has no attribute \"count\""}},
        {"CountOfTwoBillionOnEmptyText",
         "c8.dae",
         text(Positions(" count=\"2000000000\"", "")),
         doc,
         {"error: {file}:", "<float_array> declares 2000000000 values but its text can hold at most 64"}},
        {"CountOfTwoBillionOnShortText",
         "c9.dae",
         text(Positions(" count=\"2000000000\"", "1 2 3")),
         doc,
         {"error: {file}:", "<float_array> declares 2000000000 values but its text can hold at most 69"}},
        {"CountAFewValuesShort",
         "c10.dae",
         text(Positions(" count=\"6\"", "1 2 3 4")),
         doc,
         {"loaded", "positions [1 2 3 4 0 0]"}},

        // Numbers, read the same whatever the locale.
        {"NumberThenWord", "n1.dae", text(Positions(" count=\"3\"", "1.0 abc 3")), doc, {"positions [1 0 0]"}},
        {"NumberWithDecimalComma", "n2.dae", text(Positions(" count=\"2\"", "1,5 2")), doc, {"positions [1 0]"}},
        {"NumberNan", "n3.dae", text(Positions(" count=\"3\"", "2 nan 1")), doc, {"positions [2 0 0]"}},
        {"NumberInf", "n4.dae", text(Positions(" count=\"2\"", "inf 1")), doc, {"positions [0 0]"}},
        {"NumberOutOfRange", "n5.dae", text(Positions(" count=\"2\"", "1e999 1")), doc, {"positions [0 0]"}},
        {"NumberDoubleSign", "n6.dae", text(Positions(" count=\"2\"", "--1 1")), doc, {"positions [0 0]"}},
        {"NumberHexFloat", "n7.dae", text(Positions(" count=\"2\"", "0x1p3 1")), doc, {"positions [0 0]"}},
        {"NumberUnderCommaLocale",
         "n8.dae",
         text(Positions(" count=\"2\"", "1.5 -2.25")),
         doc,
         {"positions [1.5 -2.25]"},
         TKind::File,
         "de_DE.UTF-8"},

        // Index lists.
        {"TriangleCountOverflowing32Bits",
         "t1.dae",
         text(Triangles(715827883, "0 0 1 0 2 0", 2)),
         doc,
         {"error: {file}:", "<triangles> count 715827883 with 2 inputs needs"}},
        {"IndicesPastNegativeAndHuge",
         "t2.dae",
         text(Triangles(2, "0 3 -1 2 1 0")),
         doc,
         {"positions [1 2 3 0 0 0 0 0 0 7 8 9 4 5 6 1 2 3] indices 6+0 outside 2"}},
        {"IndexOf32BitMaximum",
         "t3.dae",
         text(Triangles(1, "0 1 4294967295")),
         doc,
         {"positions [1 2 3 4 5 6 1 2 3] indices 3+0 outside 0"}},
        {"IndexListShort",
         "t4.dae",
         text(Triangles(2, "2 1 0 1")),
         doc,
         {"positions [7 8 9 4 5 6 1 2 3 4 5 6 1 2 3 1 2 3] indices 6+0 outside 0"}},
        {"IndexListLong",
         "t5.dae",
         text(Triangles(1, "2 1 0 1 1 1 1 1")),
         doc,
         {"positions [7 8 9 4 5 6 1 2 3] indices 3+0"}},
        {"IndexListIncompleteLastGroup",
         "t6.dae",
         text(Triangles(1, "0 0 1", 1, true)),
         doc,
         {"positions [1 2 3 0] indices 1+0 outside 0 dropped 1"}},

        // References and required attributes.
        {"NodeNamingNoGeometry",
         "r1.dae",
         text(Document(Geometry("<float_array count=\"3\">1 2 3</float_array>"), NodeAtOrigin("#Nope", "Nothing"))),
         doc,
         {"loaded", "node N -> -1/-1"}},
        {"GeometryWithoutName",
         "r2.dae",
         text(Document("<geometry><mesh/></geometry>")),
         doc,
         {"error: {file}:4: <geometry> has no attribute \"name\""}},
        {"NodeWithoutName",
         "r3.dae",
         text(Document(Geometry("<float_array count=\"3\">1 2 3</float_array>"),
                       "<node><instance_geometry url=\"#G\"/></node>")),
         doc,
         {"error: {file}:", "<node> has no attribute \"name\""}},

        // The lines of a document are known from the bytes read, in a fraction of the document's size.
        {.Name = "ErrorLineAfterTenMillionLineEndsCostsLittleMemory",
         .FileName = "lines.dae",
         .Bytes =
             [] {
                 return Document(Geometry("<float_array count=\"3\">1 2 3</float_array>") + std::string(10 << 20, '\n'),
                                 "<node><instance_geometry url=\"#G\"/></node>");
             },
         .Load = doc,
         .Expected = {"error: {file}:10485768: <node> has no attribute \"name\""},
         .MemoryFactor = 1},

        // Large valid scenes load in time linear in their size.
        {"TwentyThousandGeometriesAndNodes",
         "many.dae",
         [] { return ManyGeometries(20000); },
         doc,
         {"loaded", "node N -> 0/-1"}},

        // Markup of many small elements costs a tree node and a record each, many times its bytes: the load
        // keeps within the bound, or stops where the markup outgrows it. Empty elements after a geometry are
        // each read as a geometry.
        {.Name = "DenseEmptyElementsAfterGeometryStayUnderBound",
         .FileName = "dense.dae",
         .Bytes = [=] { return Document(smallGeometry + "\n" + repeated("<a name=\"\"/>", 12 << 20)); },
         .Load = doc,
         .Expected = {"error: {file}:", ": <a> takes the load past the ", " MiB that a document of ",
                      " bytes may take (16 times its size plus 64 MiB)"}},
        {.Name = "DenseTextAndElementPairsStayUnderBound",
         .FileName = "pairs.dae",
         .Bytes = [=] { return Document(smallGeometry, "<extra>" + repeated("x<a/>", 10 << 20) + "</extra>"); },
         .Load = doc,
         .Expected = {"error: {file}:", ": markup too dense: its tree outgrows the ",
                      " bytes may take (16 times its size plus 64 MiB)"}},
        {.Name = "HundredThousandSmallNodesLoadUnderBound",
         .FileName = "nodes.dae",
         .Bytes =
             [=] {
                 std::string nodes;
                 for (int i = 0; i < 100000; ++i)
                     nodes += "<node name=\"N" + std::to_string(i) +
                              "\"><translate>0 0 0</translate><rotate>0 0 1 0</rotate><scale>1 1 1</scale>"
                              "<instance_geometry url=\"#G\"/></node>";
                 return Document(smallGeometry, nodes);
             },
         .Load = doc,
         .Expected = {"loaded", "node N0 -> 0/-1", "node N99999 -> 0/-1"}},

        {"FiftyThousandTextureNamesFoundThroughAnIndex",
         "none.txt",
         text(""),
         ManyTextureNames,
         {"0 misplaced of 50000; duplicate key at 0"}},

        // Bitmaps.
        {"BmpHeaderTooShort", "h1.bmp", text("BM\x10\0\0\0"), LoadBmp, {"error: {file}: "}},
        {"BmpWrongMagic",
         "h2.bmp",
         [] {
             std::string f = Bmp(Plain24(2, 2));
             f[0] = 'X';
             return f;
         },
         LoadBmp,
         {"error: {file}: not a BMP file"}},
        {"BmpPixelOffsetInsideHeader",
         "h3.bmp",
         [] {
             auto f = Plain24(2, 2);
             f.PixelOffset = 20;
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: BMP pixel offset 20"}},
        {"BmpPixelOffsetPastEnd",
         "h4.bmp",
         [] {
             auto f = Plain24(2, 2);
             f.PixelOffset = 1 << 20;
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: BMP pixel offset 1048576"}},
        {"BmpUnknownHeaderSize",
         "h5.bmp",
         [] {
             auto f = Plain24(2, 2);
             f.HeaderSize = 64;
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: unknown BMP header size 64"}},
        {"BmpPlanesNotOne",
         "h6.bmp",
         [] {
             auto f = Plain24(2, 2);
             f.Planes = 2;
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: BMP plane count is not 1"}},
        {"BmpWidthZero",
         "s1.bmp",
         [] {
             auto f = Plain24(1, 1);
             f.Width = 0;
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: empty image"}},
        {"BmpWidthIntMax",
         "s2.bmp",
         [] {
             auto f = Plain24(1, 1);
             f.Width = INT_MAX;
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: image of 2147483647 x 1"}},
        {"BmpHeightIntMin",
         "s3.bmp",
         [] {
             auto f = Plain24(1, 1);
             f.Height = INT_MIN;
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: "}},
        {"BmpHugeAreaInTinyFile",
         "s4.bmp",
         [] {
             auto f = Plain24(1, 1);
             f.Width = f.Height = 23169;
             f.Pixels.clear();
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: image of 23169 x 23169 pixels has a side longer than 16384"}},
        {"BmpAreaBeyondLimitInTinyFile",
         "s7.bmp",
         [] {
             auto f = Plain24(1, 1);
             f.Width = f.Height = 16000;
             f.Pixels.clear();
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: image of 16000 x 16000 pixels has more than"}},
        {"BmpTopDown",
         "s5.bmp",
         [] { return Bmp(Plain24(3, -2)); },
         LoadBmp,
         {"decoded 3x2 top-left " +
          [] {
              auto g = Gradient(3, 2);
              return std::to_string(g.Rgb[0]) + "," + std::to_string(g.Rgb[1]) + "," + std::to_string(g.Rgb[2]);
          }()}},
        {"BmpTruncatedPixels",
         "s6.bmp",
         [] {
             auto f = Plain24(5, 4);
             f.Pixels.resize(f.Pixels.size() - 1);
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: truncated BMP pixel data"}},
        {"BmpPaletteIndexPastPalette",
         "p1.bmp",
         [] {
             TBmpFields f;
             f.Bits = 8;
             f.Palette = {0x102030, 0x405060};
             f.Width = 2;
             f.Pixels = std::string("\x01\x07\0\0", 4);
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: BMP palette index 7 past the palette's"}},
        {"BmpHugePaletteCount",
         "p2.bmp",
         [] {
             TBmpFields f = Plain24(1, 1);
             f.Bits = 8;
             f.Pixels = std::string(4, '\0');
             std::string file = Bmp(f);
             const std::uint32_t colours = 0x7FFFFFFF;
             for (int i = 0; i < 4; ++i) file[46 + i] = char((colours >> (8 * i)) & 0xFF);
             return file;
         },
         LoadBmp,
         {"error: {file}: "}},
        {"BmpZeroMasks",
         "m1.bmp",
         [] {
             TBmpFields f;
             f.Bits = 16;
             f.Compression = 3;
             f.Masks = {0, 0, 0};
             f.Pixels = std::string("\xFF\xFF\0\0", 4);
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: BMP not decoded"}},
        {"BmpOverlappingMasks",
         "m2.bmp",
         [] {
             TBmpFields f;
             f.Bits = 32;
             f.Compression = 3;
             f.Masks = {0xFFFFFFFF, 0xFFFF, 0xFF00FF00};
             f.Pixels = std::string("\x10\x20\x30\x40", 4);
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: BMP not decoded"}},
        {"BmpRle",
         "c1.bmp",
         [] {
             auto f = Plain24(2, 2);
             f.Bits = 8;
             f.Compression = 1;
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: RLE-compressed bitmaps are not supported"}},
        {"BmpUnknownCompression",
         "c2.bmp",
         [] {
             auto f = Plain24(2, 2);
             f.Compression = 9;
             return Bmp(f);
         },
         LoadBmp,
         {"error: {file}: compression 9 is not supported"}},
        {"BmpRowsNotMultipleOfFour", "a1.bmp", [] { return Bmp(Plain24(5, 3)); }, LoadBmp, {"decoded 5x3"}},

        // JPEG images.
        {"JpegNotAJpeg", "j1.jpg", text("GIF89a not a jpeg at all"), LoadJpeg, {"error: {file}: "}},
        {"JpegBadHuffmanTable", "j2.jpg", JpegWithBadHuffmanTable, LoadJpeg, {"error: {file}: "}},
        {"JpegTruncatedMidScan", "j3.jpg", [] { return Cut(Jpeg(), 0.8); }, LoadJpeg, {"error: {file}: "}},
        {"JpegProgressiveOfManyScans",
         "j4.jpg",
         [] {
             TJpegOptions o;
             o.Scans = 150;
             return Jpeg(o);
         },
         LoadJpeg,
         {"error: {file}: "}},
        {"JpegClaiming65000Square",
         "j5.jpg",
         [] { return JpegWithSize(65000, 65000); },
         LoadJpeg,
         {"error: {file}: image of 65000 x 65000"}},
        {"JpegProgressiveLargeFrameOverFewBytes",
         "j12.jpg",
         [] {
             TJpegOptions o;
             o.Scans = 100;
             return LargeFrameOver(WriteJpeg(Gradient(64, 64), o));
         },
         LoadJpeg,
         {"error: {file}: JPEG entropy-coded data of ", "too short for 8192 x 8192 pixels"}},
        {"JpegHeaderOnlyDeclaringLargeFrame",
         "j13.jpg",
         [] {
             const std::string file = LargeFrameOver(Jpeg());
             return file.substr(0, file.find("\xFF\xDA") + 20);
         },
         LoadJpeg,
         {"error: {file}: JPEG entropy-coded data of ", "too short for 8192 x 8192 pixels"}},
        {"JpegProgressiveLargeFrameOfAcScansOnly",
         "j15.jpg",
         JpegOfAcScansOnly,
         LoadJpeg,
         {"error: {file}: JPEG scan of AC coefficients of component ", " before its DC coefficients"}},
        {"JpegOfManyEmptyBandScansOverLargeFrame",
         "j16.jpg",
         [] { return JpegOfEmptyBandRuns(99); },
         LoadJpeg,
         {"error: {file}: JPEG image of 100 scans over 8192 x 8192 pixels takes 104857600 block passes"}},
        {"JpegOfManyEmptyBandScansAfterStrayBytes",
         "j17.jpg",
         [] { return "\xFF\xD8stray bytes\x00\x01" + JpegOfEmptyBandRuns(99).substr(2); },
         LoadJpeg,
         {"error: {file}: JPEG image of 100 scans over 8192 x 8192 pixels takes 104857600 block passes"}},
        {"JpegThousandScansAreCountedBeforeDecoding",
         "j14.jpg",
         [] { return JpegOfScans(1000); },
         LoadJpeg,
         {"error: {file}: JPEG image with more than 100 scans (1000)"}},
        {.Name = "TexturePixelBudgetRefusesTheImageBeyondIt",
         .FileName = "budget.bmp",
         .Bytes = [] { return Bmp(Plain24(3, 2)); },
         .Load = TexturesOverABudget,
         .Expected = {"left 2 | error: {file}: image of 3 x 2 pixels exceeds the 2 pixels left of the texture budget",
                      "second id 0"},
         .UsesGl = true},
        {"JpegGrey",
         "j6.jpg",
         [] {
             TJpegOptions o;
             o.Stored = JCS_GRAYSCALE;
             return Jpeg(o);
         },
         LoadJpeg,
         {"decoded 3x2"}},
        {"JpegCmyk",
         "j7.jpg",
         [] {
             TJpegOptions o;
             o.Stored = JCS_CMYK;
             return Jpeg(o);
         },
         LoadJpeg,
         {"error: {file}: CMYK JPEG images are not supported"}},
        {"JpegYcck",
         "j8.jpg",
         [] {
             TJpegOptions o;
             o.Stored = JCS_YCCK;
             return Jpeg(o);
         },
         LoadJpeg,
         {"error: {file}: YCCK JPEG images are not supported"}},
        {"JpegTwelveBit", "j10.jpg", [] { return JpegWithFrame('\xC1', 12); }, LoadJpeg, {"error: {file}: "}},
        {"JpegLossless", "j11.jpg", [] { return JpegWithFrame('\xC3', 8); }, LoadJpeg, {"error: {file}: "}},
        {"JpegArithmetic",
         "j9.jpg",
         [] {
             TJpegOptions o;
             o.Arithmetic = true;
             return Jpeg(o);
         },
         LoadJpeg,
         {"decoded 3x2"}},

        // Shader sources, built through the engine.
        {.Name = "ShaderWithNulByte",
         .FileName = "g1.frag",
         .Bytes = text(std::string("void main() { gl_FragColor = vec4(1.0); }\n\0junk", 48)),
         .Load = BuildShader,
         .Expected = {"built"},
         .UsesGl = true},
        {.Name = "ShaderWithByteOrderMark",
         .FileName = "g2.frag",
         .Bytes = text("\xEF\xBB\xBFvoid main() { gl_FragColor = vec4(1.0); }\n"),
         .Load = BuildShader,
         .Expected = {"built"},
         .UsesGl = true},
        {.Name = "ShaderWithNonAsciiBytes",
         .FileName = "g3.frag",
         .Bytes = text("// \xC3\xA9t\xE9\nvoid main() { gl_FragColor = vec4(1.0); }\n"),
         .Load = BuildShader,
         .Expected = {"built"},
         .UsesGl = true},
        {.Name = "ShaderWithSyntaxError",
         .FileName = "g4.frag",
         .Bytes = text("void main() { gl_FragColor = ; }\n"),
         .Load = BuildShader,
         .Expected = {"built"},
         .ErrorLog = "{file}",
         .UsesGl = true},
    };
    return rows;
}

class BadInputTest : public ::testing::TestWithParam<TBadInput> {};

TEST_P(BadInputTest, EndsCleanlyInTimeAndMemoryWithItsOutcome) {
    const TBadInput& row = GetParam();
    std::string path;
    long long size = 0;
    std::unique_ptr<TTempFile> file;
    switch (row.Kind) {
    case TKind::File: {
        const std::string bytes = row.Bytes();
        size = static_cast<long long>(bytes.size());
        file = std::make_unique<TTempFile>(row.FileName, bytes);
        path = file->Path;
        if (row.SparseSize > 0) std::filesystem::resize_file(path, static_cast<std::uintmax_t>(row.SparseSize));
        break;
    }
    case TKind::Directory:
        path = TTempFile::Directory() + "/" + row.FileName;
        std::filesystem::create_directories(path);
        break;
    case TKind::Fifo:
        path = TTempFile::Directory() + "/" + row.FileName;
        std::filesystem::create_directories(TTempFile::Directory());
        std::filesystem::remove(path);
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        break;
    case TKind::DevZero: path = "/dev/zero"; break;
    }

    const long long baseline = BaselineBytes(row.UsesGl);
    const TChildRun run = RunInChild([&] {
        if (row.Locale && !std::setlocale(LC_ALL, row.Locale)) return std::string("locale missing");
        return row.Load(path);
    });
    if (row.Kind == TKind::Directory || row.Kind == TKind::Fifo) std::filesystem::remove(path);

    ASSERT_TRUE(WIFEXITED(run.Status) && WEXITSTATUS(run.Status) == 0)
        << "the child ended with status " << run.Status << "\n"
        << run.Errors;
    EXPECT_LT(run.Seconds, MaxSeconds * Sanitized);
    EXPECT_LE(run.PeakBytes - baseline, Sanitized * (row.MemoryFactor * size + MemoryAllowance))
        << "input of " << size << " bytes; peak " << run.PeakBytes;
    std::size_t at = 0;
    for (const std::string& part : row.Expected) {
        const std::string expected = Replace(part, "{file}", path);
        const std::size_t found = run.Result.find(expected, at);
        ASSERT_NE(found, std::string::npos) << "expected \"" << expected << "\" in\n" << run.Result;
        at = found + expected.size();
    }
    // A message is one printable line: odd bytes from the document are escaped, never passed through.
    for (unsigned char c : run.Result) {
        EXPECT_FALSE(c < 0x20 || c == 0x7F) << run.Result;
    }
    if (!row.ErrorLog.empty()) {
        EXPECT_NE(run.Errors.find(Replace(row.ErrorLog, "{file}", path)), std::string::npos) << run.Errors;
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BadInputTest, ::testing::ValuesIn(Catalogue()),
                         [](const auto& instance) { return instance.param.Name; });

}  // namespace
