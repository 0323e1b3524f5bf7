#include "SceneReport.h"

#include <exception>

#include "Warnings.h"

namespace {

// LoadFromFile says only "false" for a document without a root or without a required library; a user
// needs to know which.
std::string ExplainFalseResult(const TXmlDocument& document, const std::string& file)
{
    const TXmlNode root = document.DocumentElement();
    if (!root) return file + ": the document has no root element";
    const std::string where = file + ":" + std::to_string(root.Line()) + ": " + root.Describe();
    if (!root.FirstChild("library_geometries")) return where + " has no <library_geometries>";
    if (!root.FirstChild("library_visual_scenes")) return where + " has no <library_visual_scenes>";
    return file + ": the document was not loaded";
}

}  // namespace

TSceneReport BuildSceneReport(TXmlDocument& document, const std::string& file)
{
    TSceneReport report;
    report.File = file;
    report.Asset = std::make_unique<TColladaAsset>(&document);
    try {
        report.Loaded = report.Asset->LoadFromFile(file);
        if (!report.Loaded) report.Error = ExplainFalseResult(document, file);
    } catch (const std::exception& error) {
        // TXmlError messages already name the file; others (an allocation that failed) do not.
        const std::string message = error.what();
        report.Error = message.rfind(file + ":", 0) == 0 ? message : file + ": " + message;
    }
    report.Warnings = CollectWarnings(document, report);
    return report;
}
