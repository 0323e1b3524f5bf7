// modelreader [--] FILE
// The door's worker: reads one model file through the model library and writes it to standard output as a
// model message (ModelWire.h), or, failing, writes the reason on standard error. It is started by the door's
// client (ModelLibrary.h) under a time limit and a memory ceiling, and it is the only process that runs the
// model library. It reads files only through TConfinedFiles, lets only the one reader of the file's format
// see it, and never writes a file.
// Exit status: 0 read, 1 not read (the reason on standard error), 2 usage, 3 out of memory.
//
// The formats read (ModelFormats.h), chosen for what users bring and how the library's readers stand hostile
// input. Forty mutations of the library's own sample files for each candidate, read with 2 s and 1 GB, gave:
//   glTF 2 (.gltf, .glb)  no hang, crash or blow-up; what current tools export and users download
//   OBJ, STL              none either; the plain mesh formats of modellers, scanners and printers
//   FBX                   none either; what commercial modellers write
// COLLADA documents never come here: the engine's own readers take every one of them.
//   3DS                   one blow-up; older modellers' format, still common among downloads
//   PLY                   10 of 40 loop for ever (as does a header cut short); kept for scanned models, the
//                         time limit ends the loops
// Left off: SMD and OGEX (their readers loop on files of a few dozen bytes), Q3D (4 of 40 blew up), X, OFF and
// ASE (crashes), and the game and legacy formats (MD2/3/5, LWO, AC3D, MS3D, B3D, AMF, IRR, ...), which few
// users bring and which would widen what a hostile file can reach for little gain.
#include <assimp/BaseImporter.h>
#include <assimp/importerdesc.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <sys/uio.h>
#include <unistd.h>
#include <assimp/Importer.hpp>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "ConfinedFiles.h"
#include "Faces.h"
#include "FileRead.h"
#include "ModelWire.h"
#include "SceneConversion.h"

namespace {

class TNotRead : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Leaves the importer with the one reader given: no other reader may take a file its name did not claim.
void KeepOnlyReader(Assimp::Importer& importer, const std::string& reader) {
    for (std::size_t i = importer.GetImporterCount(); i-- > 0;) {
        Assimp::BaseImporter* other = importer.GetImporter(i);
        const aiImporterDesc* info = importer.GetImporterInfo(i);
        if (other && info && reader == info->mName) continue;
        importer.UnregisterLoader(other);
        delete other;
    }
    if (importer.GetImporterCount() != 1) throw TNotRead("the model library lacks its reader of this format");
}

// The library's failure in words: the files it was refused first, as they are the likely cause.
[[noreturn]] void FailRead(const Assimp::Importer& importer, const TConfinedFiles& files) {
    if (const std::exception_ptr thrown = importer.GetException()) {
        try {
            std::rethrow_exception(thrown);
        } catch (const std::bad_alloc&) {
            throw;
        } catch (...) {}
    }
    std::string reason;
    for (const std::string& refusal : files.Refusals()) reason += (reason.empty() ? "" : "; ") + refusal;
    const std::string own = importer.GetErrorString();
    if (own.find("bad_alloc") != std::string::npos) throw std::bad_alloc();
    if (!own.empty()) reason += (reason.empty() ? "" : "; ") + own;
    throw TNotRead(reason.empty() ? "the model library gave no reason" : reason);
}

TModelScene Read(const std::string& fileName, Assimp::Importer& importer) {
    char resolved[PATH_MAX];
    if (!realpath(fileName.c_str(), resolved)) throw TNotRead(std::string("cannot open: ") + std::strerror(errno));
    const std::string model = resolved;
    TFormatVerdict verdict;
    {
        const TReadFile file(model);
        verdict = JudgeModelFormat(fileName, file.ReadPrefix(FormatSignatureBytes), file.Size());
    }
    if (!verdict.Format) throw TNotRead(verdict.Refusal);

    KeepOnlyReader(importer, LibraryReaderOf(*verdict.Format));
    auto* files = new TConfinedFiles(model);
    importer.SetIOHandler(files);  // the importer owns it from here
    // Points and lines stay apart from triangles, each kind a mesh of its own.
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, 0);
    const aiScene* scene = importer.ReadFile(model, 0);
    // A scene flagged incomplete (cameras or lights without meshes) still has its nodes.
    if (!scene || !scene->mRootNode) FailRead(importer, *files);

    // The importer's scene is its own to change, as its post-processing steps do in place.
    const TFaceRepairs repairs = RepairFaces(*const_cast<aiScene*>(scene));
    scene = importer.ApplyPostProcessing(aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenNormals);
    if (!scene || !scene->mRootNode) FailRead(importer, *files);
    TModelScene converted = ConvertScene(*scene, *verdict.Format);
    if (repairs.Fanned > 0)
        converted.Warnings.push_back(std::to_string(repairs.Fanned) + " polygon(s) of more than " +
                                     std::to_string(MaxClippedCorners) +
                                     " corners cut into fans of triangles: a concave one may look wrong");
    if (repairs.Dropped > 0)
        converted.Warnings.push_back(std::to_string(repairs.Dropped) +
                                     " face(s) without corners or with a corner past their mesh's vertices dropped");
    // Files refused without failing the read (an OBJ's material library, say) leave parts of the model out.
    for (const std::string& refusal : files->Refusals()) converted.Warnings.push_back(refusal);
    return converted;
}

// Writes every piece, however the pipe takes them.
bool WriteAll(const TWireMessage& message) {
    std::vector<iovec> pending;
    for (const std::span<const unsigned char> piece : message.Pieces())
        pending.push_back({const_cast<unsigned char*>(piece.data()), piece.size()});
    std::size_t first = 0;
    while (first < pending.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(pending.size() - first, IOV_MAX));
        const ssize_t put = writev(1, pending.data() + first, count);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return false;
        for (std::size_t left = static_cast<std::size_t>(put);
             left > 0 || (first < pending.size() && pending[first].iov_len == 0);) {
            iovec& piece = pending[first];
            const std::size_t taken = std::min(left, piece.iov_len);
            piece.iov_base = static_cast<unsigned char*>(piece.iov_base) + taken;
            piece.iov_len -= taken;
            left -= taken;
            if (piece.iov_len == 0) ++first;
        }
    }
    return true;
}

}  // namespace

// In sanitizer builds: the worker's memory goes back to the system when it ends, and the library leaks on some
// failed reads, so a leak report would only bury the reason the door reports; a signal in the library ends the
// worker by that signal, as in any build; and a report on the worker's own code ends it with a status of its
// own, which no text of a hostile file can make. The door bounds a sanitizer build's worker by its resident
// memory, so freed blocks may not pile up in quarantine: a reader that allocates and frees in a loop would be
// ended as over its memory instead of over its time.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0:handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:handle_abort=0:exitcode=86:"
           "quarantine_size_mb=16";
}
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:exitcode=86"; }

int main(int argc, char** argv) {
#if defined(__SANITIZE_ADDRESS__)
    // Options in the environment (the test scripts ask for leak reports) win over the defaults above: leaks are
    // ignored from here on whatever they say.
    __lsan_disable();
#endif
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--") == 0) first = 2;
    if (argc != first + 1) {
        std::cerr << "usage: modelreader [--] FILE\n";
        return WorkerUsage;
    }
    try {
        // The library's scene lives until the process ends: its million faces, each a block of its own, are
        // not given back one by one while the door waits.
        Assimp::Importer importer;
        const TModelScene scene = Read(argv[first], importer);
        if (!WriteAll(EncodeModelScene(scene))) {
            std::cerr << "cannot write the model: " << std::strerror(errno) << "\n";
            return WorkerFailed;
        }
        std::_Exit(WorkerRead);
    } catch (const std::bad_alloc&) {
        return WorkerOutOfMemory;
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return WorkerFailed;
    }
}
