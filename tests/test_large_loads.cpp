// Large documents, which the loader reads with two threads and whose read texts it gives back: what is read
// must be the one-thread reading byte for byte, wherever the cut between the threads falls, and a load must
// stay within twice the document's size.
#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "ColladaText.h"
#include "Colladaasset.h"
#include "LoaderThreads.h"
#include "StreamingWriter.h"

namespace {

// Runs the action with the loader held to the given number of threads, and with two, cutting every piece of
// 64 KB or more, so that the tests' texts and meshes take the two-thread paths.
template <typename Action>
auto WithThreads(int threads, const Action& action) {
    SetLoaderThreads(threads, 64 << 10);
    auto result = action();
    SetLoaderThreads(2);
    return result;
}

template <typename T>
std::vector<unsigned char> Bytes(const TNumericArray<T>& array) {
    const auto* first = reinterpret_cast<const unsigned char*>(array.Data());
    return std::vector<unsigned char>(first, first + array.Count() * sizeof(T));
}

template <typename T>
std::vector<unsigned char> Read(const std::string& text, int count, int threads) {
    return WithThreads(threads, [&] {
        TNumericArray<T> array;
        ParseNumbers(array, text, count);
        return Bytes(array);
    });
}

// A long run of numbers with `piece` put at byte `at`; long enough for two threads.
std::string NumbersWith(std::size_t at, const std::string& piece) {
    std::string text;
    for (int i = 0; text.size() < 600000; ++i) text += std::to_string(i % 1000) + (i % 7 ? ".25 " : " ");
    return text.substr(0, at) + piece + text.substr(at);
}

// Pieces that stop the reading or change how the bytes split into numbers, each put before, at and after
// the middle of the text, where the cut between the threads falls.
TEST(TwoThreads, NumbersReadAsOneThreadReadsThem) {
    const std::string pieces[] = {" ",       " x ",   " - ", " 1e ",         " 1-2+3 ",  " .5.5 ",  " -7 ",
                                  "\n\t\r ", " 1e+ ", "-",   "99999999999 ", " 3.4e39 ", " 1e-50 ", " +.e1 "};
    for (const std::string& piece : pieces) {
        for (const std::size_t at : {1000, 299990, 299999, 300000, 300001, 300010, 599000}) {
            const std::string text = NumbersWith(at, piece);
            for (const int count : {1000, 150000, 200000, 400000}) {
                ASSERT_EQ(Read<float>(text, count, 2), Read<float>(text, count, 1))
                    << "floats, \"" << piece << "\" at " << at << ", count " << count;
                ASSERT_EQ(Read<int>(text, count, 2), Read<int>(text, count, 1))
                    << "ints, \"" << piece << "\" at " << at << ", count " << count;
            }
        }
    }
    // No white space after the middle: the first thread reads it all.
    const std::string solid = std::string(300000, '1') + " " + std::string(300000, '2');
    EXPECT_EQ(Read<int>(solid, 5, 2), Read<int>(solid, 5, 1));
}

// A mesh big enough for two threads, with indices outside their source in both halves.
TEST(TwoThreads, StreamsExpandAsOneThreadExpandsThem) {
    const auto expand = [](int threads) {
        return WithThreads(threads, [] {
            TGeometry geometry;
            const int vertices = 200003;
            geometry.Positions.SetLength(3 * 1000);
            geometry.TexCoords.SetLength(2 * 1000);
            for (std::size_t i = 0; i < geometry.Positions.Count(); ++i) geometry.Positions[i] = float(i);
            for (std::size_t i = 0; i < geometry.TexCoords.Count(); ++i) geometry.TexCoords[i] = -float(i);
            geometry.TriangleIndices.SetLength(2 * vertices + 1);
            for (int i = 0; i < 2 * vertices + 1; ++i)
                geometry.TriangleIndices[static_cast<std::size_t>(i)] =
                    static_cast<int>(i * 7919LL % 1003) - (i % 5000 == 0);
            geometry.BuildStreams();
            std::vector<std::vector<unsigned char>> arrays = {Bytes(geometry.Positions), Bytes(geometry.TexCoords),
                                                              Bytes(geometry.TriangleIndices)};
            arrays.push_back({static_cast<unsigned char>(geometry.OutOfRangeIndices % 251),
                              static_cast<unsigned char>(geometry.DroppedSlots)});
            return arrays;
        });
    };
    const auto two = expand(2), one = expand(1);
    EXPECT_EQ(two, one);
    EXPECT_NE(one.back()[0], 0) << "the mesh should have indices outside its source";
}

// A grid of `side` x `side` quads with positions, normals and texture coordinates, written as meshgen writes
// the benchmarks' grids.
std::string WriteGrid(int side) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("large_grid_" + std::to_string(getpid()) + ".dae")).string();
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return "";
    const long long points = static_cast<long long>(side + 1) * (side + 1);
    TStreamingWriter writer(out, "Z_UP", "test_large_loads", "Grid");
    writer.Source(TStreamKind::Positions, points, [&] {
        for (long long i = 0; i < points; ++i)
            std::fprintf(out, "%s%g %g %g", i == 0 ? "" : " ", double(i % (side + 1)) * 0.1,
                         double(i / (side + 1)) * 0.1, std::sin(double(i)) * 0.5);
    });
    writer.Source(TStreamKind::Normals, points, [&] {
        for (long long i = 0; i < points; ++i)
            std::fprintf(out, "%s0 %g 1", i == 0 ? "" : " ", std::cos(double(i)) * 0.25);
    });
    writer.Source(TStreamKind::TexCoords, points, [&] {
        for (long long i = 0; i < points; ++i)
            std::fprintf(out, "%s%g %g", i == 0 ? "" : " ", double(i % (side + 1)) / side,
                         double(i / (side + 1)) / side);
    });
    const char* space = "";
    writer.Finish(2LL * side * side, [&] {
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const long long a = static_cast<long long>(y) * (side + 1) + x, b = a + 1, c = a + side + 1, d = c + 1;
                for (const long long corner : {a, b, d, a, d, c}) {
                    std::fprintf(out, "%s%lld %lld %lld", space, corner, corner, corner);
                    space = " ";
                }
            }
    });
    std::fclose(out);
    return path;
}

std::vector<std::vector<unsigned char>> LoadArrays(const std::string& path) {
    TXmlDocument document;
    TColladaAsset asset(&document);
    if (!asset.LoadFromFile(path)) return {};
    std::vector<std::vector<unsigned char>> arrays;
    for (const auto& geometry : asset.Geometries->Items)
        for (const TGeometryStream& stream : GeometryStreams)
            arrays.push_back(std::visit([&](auto values) { return Bytes((*geometry).*values); }, stream.Values));
    return arrays;
}

class LargeDocument : public testing::Test {
protected:
    static void SetUpTestSuite() { Path = new std::string(WriteGrid(300)); }
    static void TearDownTestSuite() {
        std::filesystem::remove(*Path);
        delete Path;
    }
    static std::string* Path;
};
std::string* LargeDocument::Path = nullptr;

TEST_F(LargeDocument, LoadsAsOneThreadLoadsIt) {
    ASSERT_GT(std::filesystem::file_size(*Path), 4u << 20);
    const auto two = WithThreads(2, [] { return LoadArrays(*Path); });
    ASSERT_FALSE(two.empty());
    EXPECT_EQ(two[0].size(), 540000u * 3 * sizeof(float));
    EXPECT_EQ(two, WithThreads(1, [] { return LoadArrays(*Path); }));
}

// A field of /proc/self/status in kilobytes, or -1.
long StatusKilobytes(const std::string& field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long value = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, field.c_str(), field.size()) == 0 && line[field.size()] == ':')
            value = std::strtol(line + field.size() + 1, nullptr, 10);
    std::fclose(status);
    return value;
}

// Runs `measure` in a child process, whose memory the parent's earlier allocations do not blur, and returns
// what it returned, or -1 when the child could not say.
long InChild(const std::function<long()>& measure) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const long value = measure();
        _exit(write(pipeEnds[1], &value, sizeof value) == sizeof value ? 0 : 1);
    }
    close(pipeEnds[1]);
    long value = -1;
    if (read(pipeEnds[0], &value, sizeof value) != sizeof value) value = -1;
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return value;
}

// The memory a load adds at its peak, measured in a child whose free memory is given back and whose peak is
// reset to what it holds before the load (a child's memory counts only what it touches itself): the read texts are
// given back as the expanded streams grow, so the load never holds the whole document beside them.
TEST_F(LargeDocument, LoadStaysWithinTwiceTheDocument) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory and quarantine are not the loader's";
#endif
    const double document = static_cast<double>(std::filesystem::file_size(*Path));
    const long added = InChild([] {
        malloc_trim(0);
        std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
        const bool reset = clear && std::fputs("5", clear) >= 0 && std::fclose(clear) == 0;
        const long before = StatusKilobytes("VmRSS");
        TXmlDocument xml;
        TColladaAsset asset(&xml);
        const bool loaded = reset && asset.LoadFromFile(*Path);
        return loaded ? StatusKilobytes("VmHWM") - before : -1;
    });
    ASSERT_GE(added, 0) << "the child could not measure the load";
    // Beside the document's own share: the loader's code, faulted in by the child, and the rounding of the
    // largest blocks to huge pages.
    constexpr double Fixed = 4 << 20;
    EXPECT_LE(static_cast<double>(added) * 1024, 2.0 * document + Fixed) << "kilobytes added: " << added;
}

// A document object keeps the storage of its last file and tree for the next load, but a small file after a
// large one must not keep the large one's: here 60 000 nodes (a tree of about 20 MB) and then a few bytes.
// The nodes instance nothing, so that no node record is made: those come from a pool that keeps a few empty
// blocks of its own (RecordPool).
TEST(DocumentStorage, SmallLoadAfterLargeKeepsLittle) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory and quarantine are not the loader's";
#endif
    const std::filesystem::path directory = std::filesystem::temp_directory_path();
    const std::string large = (directory / ("many_nodes_" + std::to_string(getpid()) + ".dae")).string();
    const std::string small = (directory / ("few_nodes_" + std::to_string(getpid()) + ".dae")).string();
    std::string nodes;
    for (int i = 0; i < 60000; ++i) nodes += Node("n" + std::to_string(i), "<translate>0 0 0</translate>");
    const std::string geometry =
        Geometries(Mesh("G", Source("G-Position", 3, "0 0 0") + Primitive("triangles", 1, 1, "0 0 0")));
    std::ofstream(large) << Collada(geometry + SceneWith(nodes));
    std::ofstream(small) << Collada(geometry + SceneWith(PlacedNode("n", "#G")));
    const long kept = InChild([&] {
        TXmlDocument xml;
        const auto load = [&](const std::string& path) {
            TColladaAsset asset(&xml);
            return asset.LoadFromFile(path) ? asset.VisualScenes->Items.Count() : -1;
        };
        malloc_trim(0);
        const long before = StatusKilobytes("VmRSS");
        if (load(large) != 0 || load(small) != 1) return -1L;
        malloc_trim(0);
        return StatusKilobytes("VmRSS") - before;
    });
    std::filesystem::remove(large);
    std::filesystem::remove(small);
    ASSERT_NE(kept, -1) << "the child could not load both documents";
    // The loader's code faulted in by the child, the first of the tree's blocks and the small file's bytes.
    EXPECT_LE(kept, 3 * 1024) << "kilobytes kept";
}

}  // namespace
