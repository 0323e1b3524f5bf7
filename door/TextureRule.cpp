#include "TextureRule.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool HoldsControlBytes(const std::string& name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// C:\models\wood.jpg, C:/models/wood.jpg or \\server\share\wood.jpg: a path on a machine of another system.
bool IsWindowsPath(const std::string& name) {
    const bool driveLetter = name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
                             (name[2] == '\\' || name[2] == '/');
    return driveLetter || name.find('\\') != std::string::npos;
}

std::string FileNameOf(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

std::string NonRegularKind(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return {};
    if (S_ISDIR(status.st_mode)) return "a folder";
    if (S_ISFIFO(status.st_mode)) return "a named pipe";
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return "a device";
    if (S_ISSOCK(status.st_mode)) return "a socket";
    return {};
}

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

std::vector<std::string> TextureCandidates(const std::string& textureName, const std::string& documentFile) {
    if (textureName.empty() || HoldsControlBytes(textureName)) return {};
    const fs::path folder = fs::path(documentFile).parent_path();
    const bool windows = IsWindowsPath(textureName);
    std::vector<std::string> candidates;
    const auto add = [&](const fs::path& path) {
        const std::string text = path.string();
        if (std::find(candidates.begin(), candidates.end(), text) == candidates.end()) candidates.push_back(text);
    };
    if (!windows) {
        // A picture of the same name where the user happens to be must not stand in for the model's own.
        if (fs::path(textureName).is_relative()) add(folder / textureName);
        add(textureName);
    }
    if (windows || fs::path(textureName).is_absolute()) {
        const std::string fileName = FileNameOf(textureName);
        if (!fileName.empty() && fileName != "." && fileName != "..") add(folder / fileName);
    }
    return candidates;
}

std::optional<std::string> FindTexture(const std::string& textureName, const std::string& documentFile) {
    for (const std::string& candidate : TextureCandidates(textureName, documentFile))
        if (IsRegularFile(candidate)) return candidate;
    return std::nullopt;
}
