// modelreader [--] FILE
// The door's worker: reads one model file through the model library and writes it to standard output as a
// model message (ModelWire.h), or, failing, writes the reason on standard error. It is started by the door's
// client (ModelLibrary.h) under a time limit and a memory ceiling, and it is the only process that runs the
// model library. It reads files only through TConfinedFiles, lets only the one reader of the file's format
// (ModelFormats.h) see it, and never writes a file.
// Exit status: 0 read, 1 not read (the reason on standard error), 2 usage, 3 out of memory.
#include <assimp/BaseImporter.h>
#include <assimp/importerdesc.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <sys/uio.h>
#include <unistd.h>
#include <assimp/Importer.hpp>

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
#include "FileRead.h"
#include "LargePolygons.h"
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

TModelScene Read(const std::string& fileName) {
    char resolved[PATH_MAX];
    if (!realpath(fileName.c_str(), resolved)) throw TNotRead(std::string("cannot open: ") + std::strerror(errno));
    const std::string model = resolved;
    TFormatVerdict verdict;
    {
        const TReadFile file(model);
        verdict = JudgeModelFormat(fileName, file.ReadPrefix(FormatSignatureBytes), file.Size());
    }
    if (!verdict.Format) throw TNotRead(verdict.Refusal);

    Assimp::Importer importer;
    KeepOnlyReader(importer, LibraryReaderOf(*verdict.Format));
    auto* files = new TConfinedFiles(model);
    importer.SetIOHandler(files);  // the importer owns it from here
    // Points and lines stay apart from triangles, each kind a mesh of its own.
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, 0);
    // Users know their COLLADA nodes by name; the reader's default is the id, or a made-up name without one.
    importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, true);
    const aiScene* scene = importer.ReadFile(model, 0);
    // A scene flagged incomplete (cameras or lights without meshes) still has its nodes.
    if (!scene || !scene->mRootNode) FailRead(importer, *files);

    // The importer's scene is its own to change, as its post-processing steps do in place.
    const std::size_t fanned = FanLargePolygons(*const_cast<aiScene*>(scene));
    scene = importer.ApplyPostProcessing(aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenNormals);
    if (!scene || !scene->mRootNode) FailRead(importer, *files);
    TModelScene converted = ConvertScene(*scene, *verdict.Format);
    if (fanned > 0)
        converted.Warnings.push_back(std::to_string(fanned) + " polygon(s) of more than " +
                                     std::to_string(MaxClippedCorners) +
                                     " corners cut into fans of triangles: a concave one may look wrong");
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

int main(int argc, char** argv) {
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--") == 0) first = 2;
    if (argc != first + 1) {
        std::cerr << "usage: modelreader [--] FILE\n";
        return WorkerUsage;
    }
    try {
        const TModelScene scene = Read(argv[first]);
        if (!WriteAll(EncodeModelScene(scene))) {
            std::cerr << "cannot write the model: " << std::strerror(errno) << "\n";
            return WorkerFailed;
        }
        return WorkerRead;
    } catch (const std::bad_alloc&) {
        return WorkerOutOfMemory;
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return WorkerFailed;
    }
}
