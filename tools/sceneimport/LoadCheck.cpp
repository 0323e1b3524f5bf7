#include "LoadCheck.h"

#include <filesystem>

#include "SceneReport.h"
#include "XmlDocument.h"

namespace fs = std::filesystem;

namespace {

// The engine opens textures relative to the working directory; the check moves there for the load and
// moves back however it ends.
class TWorkingDirectory {
public:
    explicit TWorkingDirectory(const fs::path& folder) : Previous(fs::current_path()) { fs::current_path(folder); }
    ~TWorkingDirectory() {
        std::error_code ignored;
        fs::current_path(Previous, ignored);
    }
    TWorkingDirectory(const TWorkingDirectory&) = delete;
    TWorkingDirectory& operator=(const TWorkingDirectory&) = delete;

private:
    fs::path Previous;
};

}  // namespace

TLoadCheck CheckDocument(const std::string& document) {
    const fs::path path = fs::absolute(document);
    const TWorkingDirectory inFolder(path.parent_path());
    TXmlDocument xml;
    const TSceneReport report = BuildSceneReport(xml, path.filename().string());
    TLoadCheck check;
    check.Loaded = report.Loaded;
    if (report.Error) check.Problems.push_back(*report.Error);
    for (const TLoadNote& note : report.Notes)
        check.Problems.push_back("line " + std::to_string(note.Line) + ": " + note.Element + " " + note.Message);
    if (!report.Loaded) return check;
    const TColladaAsset& asset = *report.Asset;
    for (const auto& node : asset.VisualScenes->Items)
        if (node->GeometryIndex >= 0)
            check.DrawnTriangles += static_cast<long long>(
                asset.Geometries->Items[static_cast<std::size_t>(node->GeometryIndex)]->TriangleIndices.Count() / 3);
    return check;
}
