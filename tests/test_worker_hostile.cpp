// Hostile model files made by the tests, each read in a child process bounded in time and memory: files the
// model may not read (outside its folder, through a link, a FIFO, a device, names with control bytes), readers
// that loop or allocate without end, node trees that multiply, polygons that take quadratic time, the worker
// killed, its parent killed; and answers of the worker the door must refuse. Every error names the file and
// gives a reason.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <thread>

#include "ModelWire.h"
#include "WorkerFixture.h"

namespace {

namespace fs = std::filesystem;

TWorkerLimits Limits(double seconds, std::uint64_t megabytes = 256) { return {seconds, megabytes << 20}; }

// A glTF of one triangle whose buffer is the file `uri`, placed by `nodes` (node 0 the scene's root); with
// `materials` (the glTF's images, textures and materials), the triangle has material 0.
std::string Gltf(const std::string& uri, const std::string& nodes = R"([{"name":"n","mesh":0}])",
                 const std::string& materials = "") {
    return R"({"asset":{"version":"2.0"},"buffers":[{"uri":")" + uri + R"(","byteLength":36}],
 "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36}],
 "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}],
 "meshes":[{"primitives":[{"attributes":{"POSITION":0})" +
           (materials.empty() ? "" : R"(,"material":0)") + R"(}]}],"nodes":)" + nodes +
           R"(,"scenes":[{"nodes":[0]}],"scene":0)" + materials + "}";
}

const std::string Triangle = BytesOf<float>({0, 0, 0, 1, 0, 0, 0, 1, 0});
const std::string Quad = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nusemtl m\nf 1 2 3 4\n";

// An error that names `model` first and gives a reason holding `reason`.
void ExpectError(const TBoundedRun& run, const std::string& model, const std::string& reason) {
    EXPECT_TRUE(run.Ended) << run.Text;
    EXPECT_EQ(run.Text.rfind("error: " + model + ": ", 0), 0u) << run.Text;
    EXPECT_NE(run.Text.find(reason), std::string::npos) << run.Text;
}

void ExpectRead(const TBoundedRun& run, const std::string& summary) {
    EXPECT_TRUE(run.Ended) << run.Text;
    EXPECT_EQ(run.Text.rfind("read " + summary, 0), 0u) << run.Text;
}

TEST_F(WorkerTest, BuffersAndMaterialLibrariesComeOnlyFromTheModelsFolder) {
    Write("outside.bin", Triangle);
    Write("model/sub/inside.bin", Triangle);
    fs::create_symlink("../outside.bin", Dir / "model/escape.bin");
    fs::create_symlink("sub/inside.bin", Dir / "model/within.bin");
    ASSERT_EQ(mkfifo((Dir / "model/fifo.bin").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((Dir / "model/fifo.mtl").c_str(), 0600), 0);
    const TWorkerLimits limits = Limits(10);

    const std::string climbs = Write("model/climbs.gltf", Gltf("../outside.bin"));
    ExpectError(ReadBounded(climbs, limits), climbs, "outside.bin: it lies outside the model's folder");
    const std::string linked = Write("model/linked.gltf", Gltf("escape.bin"));
    ExpectError(ReadBounded(linked, limits), linked, "escape.bin: it lies outside the model's folder");
    const std::string fifo = Write("model/fifo.gltf", Gltf("fifo.bin"));
    ExpectError(ReadBounded(fifo, limits), fifo, "fifo.bin: it is not a regular file");
    // A link that stays inside the folder is followed.
    ExpectRead(ReadBounded(Write("model/within.gltf", Gltf("within.bin")), limits), "1 mesh(es), 1 instance(s)");
    // An OBJ reads on without a material library it may not read, saying which and why.
    const TBoundedRun mtl = ReadBounded(Write("model/fifo.obj", "mtllib fifo.mtl\n" + Quad), limits);
    ExpectRead(mtl, "1 mesh(es), 1 instance(s), 2 triangle(s)");
    EXPECT_NE(mtl.Text.find("fifo.mtl: it is not a regular file"), std::string::npos) << mtl.Text;
}

TEST_F(WorkerTest, ModelThatIsNoRegularFile) {
    fs::create_directories(Dir / "model/folder.gltf");
    ASSERT_EQ(mkfifo((Dir / "model/pipe.obj").c_str(), 0600), 0);
    for (const std::string& model :
         {(Dir / "model/folder.gltf").string(), (Dir / "model/pipe.obj").string(), std::string("/dev/zero")})
        ExpectError(ReadBounded(model, Limits(10)), model, "not a regular file");
    const std::string missing = (Dir / "model/missing.glb").string();
    ExpectError(ReadBounded(missing, Limits(10)), missing, "No such file");
}

// A texture name that decodes to a NUL or another control byte is dropped, its material named.
TEST_F(WorkerTest, TextureNamesWithControlBytes) {
    Write("model/nul.mtl", "newmtl m\nmap_Kd ../../.ssh/id_ed25519%00.jpg\n");
    const TBoundedRun obj = ReadBounded(Write("model/nul.obj", "mtllib nul.mtl\n" + Quad), Limits(10));
    ExpectRead(obj, "1 mesh(es), 1 instance(s), 2 triangle(s), 0 image(s)");
    EXPECT_NE(obj.Text.find("material \"m\": its texture's name holds a control byte"), std::string::npos) << obj.Text;

    Write("model/buffer.bin", Triangle);
    const std::string material =
        R"(,"images":[{"uri":"a.png%0Ab.png"}],"textures":[{"source":0}],)"
        R"("materials":[{"name":"g","pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}])";
    const TBoundedRun run =
        ReadBounded(Write("model/image.gltf", Gltf("buffer.bin", R"([{"name":"n","mesh":0}])", material)), Limits(10));
    ExpectRead(run, "1 mesh(es), 1 instance(s), 1 triangle(s), 0 image(s)");
    EXPECT_NE(run.Text.find("material \"g\": its texture's name holds a control byte"), std::string::npos) << run.Text;
}

TEST_F(WorkerTest, FormatsOutsideTheListAreRefusedByName) {
    const std::string smd = Write("model/name.smd", "version 1\nnodes\n0 \"ab");
    ExpectError(ReadBounded(smd, Limits(10)), smd, ".smd files are not read (the formats read: .gltf, .glb, .obj");
    const std::string ogex = Write("model/cut.ogex", "Metric {string {\"distance\"} {float {" + std::string(190, '1'));
    ExpectError(ReadBounded(ogex, Limits(10)), ogex, ".ogex files are not read");
    const std::string renamed = Write("model/renamed.glb", "solid x\nendsolid x\n");
    ExpectError(ReadBounded(renamed, Limits(10)), renamed, "not a binary glTF file");
    // A file of an accepted format that its reader refuses: the reader's reason, and nothing else (the
    // library leaks on this failure, which a sanitizer build of the worker must not report).
    const std::string stl = Write("model/two.stl",
                                  "solid t\nfacet normal 0 0 1\nouter loop\nvertex 1 1 0\n"
                                  "vertex -1 1 0\nendloop\nendfacet\nendsolid\n");
    EXPECT_EQ(ReadBounded(stl, Limits(10)).Text, "error: " + stl + ": STL: Invalid number of vertices");
}

TEST_F(WorkerTest, ReadersThatRunAwayMeetTheLimits) {
    // The library's PLY reader loops for ever on a header cut short.
    const std::string ply = Write("model/cut.ply", "ply\nformat ascii 1.0\nelement v");
    const TBoundedRun loop = ReadBounded(ply, Limits(1.5));
    ExpectError(loop, ply, "the model library took more than 1.5 s on this file");
    EXPECT_LT(loop.Seconds, 5) << "the deadline was not kept";

    // 564 bytes that declare 3 x 10^8 vertices through a sparse accessor; the default limits of a small file.
    Write("model/buffer.bin", Triangle + BytesOf<std::uint32_t>({0}));
    const std::string sparse = Write("model/sparse.gltf",
                                     R"({"asset":{"version":"2.0"},"buffers":[{"uri":"buffer.bin","byteLength":40}],
 "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":12},{"buffer":0,"byteOffset":36,"byteLength":4}],
 "accessors":[{"componentType":5126,"count":300000000,"type":"VEC3","sparse":{"count":1,
   "indices":{"bufferView":1,"componentType":5125},"values":{"bufferView":0}}}],
 "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],"scene":0})");
    const TWorkerLimits small = WorkerLimitsFor(sparse);
    EXPECT_LE(small.MemoryBytes, 512ull << 20);
    ExpectError(ReadBounded(sparse, small), sparse,
                "needed more than " + std::to_string(small.MemoryBytes >> 20) + " MB");

    // 41 nodes, each naming the next twice: 2^40 paths to the one mesh.
    std::string doubling = "[";
    for (int i = 0; i < 40; ++i)
        doubling += R"({"children":[)" + std::to_string(i + 1) + "," + std::to_string(i + 1) + "]},";
    const std::string paths = Write("model/paths.gltf", Gltf("buffer.bin", doubling + R"({"mesh":0}])"));
    ExpectError(ReadBounded(paths, WorkerLimitsFor(paths)), paths, "needed more than");
}

// A face with a corner past the vertices makes the library's post-processing read wild memory (a crash of the
// worker, found by the fuzz target): it is dropped before, and the rest of the model is read.
TEST_F(WorkerTest, FacesPastTheirVerticesAreDropped) {
    const std::string ply = Write("model/wild.ply",
                                  "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\n"
                                  "property float z\nelement face 2\nproperty list uchar int vertex_index\nend_header\n"
                                  "0 0 0\n1 0 0\n1 1 0\n0 1 0\n3 0 1 2\n4 0 2 3 70000000\n");
    const TBoundedRun run = ReadBounded(ply, Limits(10));
    ExpectRead(run, "1 mesh(es), 1 instance(s), 1 triangle(s)");
    EXPECT_NE(run.Text.find("1 face(s) without corners or with a corner past their mesh's vertices dropped"),
              std::string::npos)
        << run.Text;
}

TEST_F(WorkerTest, LargeTreesAndPolygonsInLinearTime) {
    Write("model/buffer.bin", Triangle);
    // 17 levels of nodes named alike, each naming the next twice: 65 536 places of the one mesh.
    std::string doubling = "[";
    for (int i = 0; i < 16; ++i)
        doubling += R"({"name":"n","children":[)" + std::to_string(i + 1) + "," + std::to_string(i + 1) + "]},";
    const TBoundedRun shared = ReadBounded(
        Write("model/shared.gltf", Gltf("buffer.bin", doubling + R"({"name":"n","mesh":0}])")), Limits(15, 1024));
    ExpectRead(shared, "1 mesh(es), 65536 instance(s), 1 triangle(s)");

    std::string deep = "[";
    for (int i = 0; i < 1100; ++i) deep += R"({"children":[)" + std::to_string(i + 1) + "]},";
    const std::string tooDeep = Write("model/deep.gltf", Gltf("buffer.bin", deep + R"({"mesh":0}])"));
    ExpectError(ReadBounded(tooDeep, Limits(10)), tooDeep, "the node tree is deeper than 1000");

    // One polygon of 90 000 corners on a circle: a fan of 89 998 triangles, in well under the library's minutes.
    std::string circle;
    for (int i = 0; i < 90000; ++i)
        circle += "v " + std::to_string(std::cos(i * 2 * M_PI / 90000)) + " " +
                  std::to_string(std::sin(i * 2 * M_PI / 90000)) + " 0\n";
    circle += "f";
    for (int i = 1; i <= 90000; ++i) circle += " " + std::to_string(i);
    const TBoundedRun polygon = ReadBounded(Write("model/circle.obj", circle + "\n"), Limits(5));
    ExpectRead(polygon, "1 mesh(es), 1 instance(s), 89998 triangle(s)");
    EXPECT_NE(polygon.Text.find("1 polygon(s) of more than 1024 corners cut into fans"), std::string::npos);
}

// The pid of the worker `parent` started, once it runs; -1 when none shows within a few seconds.
pid_t WorkerOf(pid_t parent) {
    for (int tries = 0; tries < 500; ++tries) {
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::ifstream stat(entry.path() / "stat");
            std::string pid, name, state;
            long ppid = 0;
            if (stat >> pid >> name >> state >> ppid && ppid == parent && name == "(modelreader)")
                return std::stoi(pid);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

// A child that reads a model whose reader loops, under limits far away, writing its outcome to `out`.
pid_t StartLoopingRead(const std::string& model, int out) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::string text = "read";
        try {
            ReadWithModelLibrary(model, Limits(60));
        } catch (const std::exception& error) {
            text = error.what();
        }
        if (write(out, text.data(), text.size()) < 0) _exit(2);
        _exit(0);
    }
    return pid;
}

TEST_F(WorkerTest, WorkerKilledAndParentKilled) {
    const std::string ply = Write("model/cut.ply", "ply\nformat ascii 1.0\nelement v");
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t reader = StartLoopingRead(ply, fds[1]);
    close(fds[1]);
    const pid_t worker = WorkerOf(reader);
    ASSERT_GT(worker, 0);
    kill(worker, SIGSEGV);
    char buffer[512];
    const ssize_t got = read(fds[0], buffer, sizeof buffer);
    close(fds[0]);
    waitpid(reader, nullptr, 0);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0))),
              ply + ": the model library stopped on this file (Segmentation fault)");

    // Orphans come to this process, which can then see how and when the worker ended.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    ASSERT_EQ(pipe(fds), 0);
    const pid_t parent = StartLoopingRead(ply, fds[1]);
    close(fds[1]);
    close(fds[0]);
    const pid_t orphan = WorkerOf(parent);
    ASSERT_GT(orphan, 0);
    kill(parent, SIGTERM);
    waitpid(parent, nullptr, 0);
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    while (waitpid(orphan, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
    EXPECT_LT(seconds, 0.5) << "the worker outlived its parent";
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

// Answers of a worker gone wrong: every one refused with a reason, none read past its end or allocated for.
TEST(WorkerAnswers, MalformedAnswersAreRefused) {
    const TBoundedRun run = RunBounded(
        [] {
            TModelScene scene;
            scene.Materials.push_back({"m", {1, 0, 0, 1}, -1, false});
            TModelMesh mesh;
            mesh.Positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
            mesh.Indices = {0, 1, 2};
            scene.Meshes.push_back(mesh);
            scene.Instances.push_back({0, -1, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "node"});
            std::string report;
            const auto bytesOf = [](const TModelScene& model) {
                const TWireMessage message = EncodeModelScene(model);
                std::vector<unsigned char> bytes;
                for (const auto& piece : message.Pieces()) bytes.insert(bytes.end(), piece.begin(), piece.end());
                return bytes;
            };
            const auto refused = [&](const TModelScene& bad, const std::string& what) {
                const std::vector<unsigned char> bytes = bytesOf(bad);
                try {
                    DecodeModelScene(bytes);
                    report += " [" + what + " accepted]";
                } catch (const TModelWireError&) {}
            };
            std::vector<unsigned char> good = bytesOf(scene);
            const TModelScene back = DecodeModelScene(good);
            if (back.Meshes.size() != 1 || back.Meshes[0].Positions != mesh.Positions ||
                back.Instances[0].Name != "node")
                report += " [the good answer changed]";
            for (std::size_t cut = 0; cut < good.size(); ++cut) {
                try {
                    DecodeModelScene(std::span(good).first(cut));
                    report += " [cut at " + std::to_string(cut) + " accepted]";
                } catch (const TModelWireError&) {}
            }
            TModelScene bad = scene;
            bad.Meshes[0].Indices[2] = 3;
            refused(bad, "an index past the vertices");
            bad = scene;
            bad.Instances[0].Mesh = 1;
            refused(bad, "an instance of a mesh that is not there");
            bad = scene;
            bad.Materials[0].Image = 0;
            refused(bad, "a material's image that is not there");
            bad = scene;
            bad.Instances[0].World[3] = NAN;
            refused(bad, "a matrix that is not finite");
            bad = scene;
            bad.Meshes[0].Positions[4] = INFINITY;
            refused(bad, "a position that is not finite");
            bad = scene;
            bad.Instances[0].Name = std::string("a\0b", 3);
            refused(bad, "a name with a NUL");
            bad = scene;
            bad.Images.push_back({"i", "a\nb.png", {}});
            refused(bad, "an image path with a control byte");
            // A vertex count of 2^32 - 1 in a message of a few dozen bytes: refused before any allocation (the
            // child's memory would not hold its streams). It follows the header, unit and axis (25 bytes), the
            // image and material counts (8), material "m" (26), the mesh count (4), the mesh's empty name (4),
            // its flags (1) and its material (4).
            std::vector<unsigned char> huge = good;
            constexpr std::size_t vertexCount = 25 + 8 + 26 + 4 + 4 + 1 + 4;
            if (huge[vertexCount] != 3) return std::string("the vertex count is not where it should be");
            std::memset(huge.data() + vertexCount, 0xFF, 4);
            try {
                DecodeModelScene(huge);
                report += " [a huge vertex count accepted]";
            } catch (const TModelWireError& error) {
                if (std::string(error.what()).find("runs past its end") == std::string::npos)
                    report += std::string(" [huge vertex count: ") + error.what() + "]";
            }
            good.push_back(0);
            try {
                DecodeModelScene(good);
                report += " [a byte after the scene accepted]";
            } catch (const TModelWireError&) {}
            return report.empty() ? "all refused" : report;
        },
        20, rlim_t(256) << 20);
    EXPECT_TRUE(run.Ended);
    EXPECT_EQ(run.Text, "all refused");
}

}  // namespace
