#include "StartupPrefetch.h"

#include <system_error>
#include <unordered_set>

TStartupPrefetch::TStartupPrefetch(TXmlDocument* document, std::vector<std::string> documentFiles)
    : TargetDocument(document) {
    for (std::string& fileName : documentFiles) Documents.push_back({std::move(fileName), {}, nullptr, false, false});
    try {
        Worker = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        Finished = true;  // no second thread: everything is loaded in its place
    }
}

TStartupPrefetch::~TStartupPrefetch() {
    {
        const std::lock_guard<std::mutex> lock(Mutex);
        Stop = true;
    }
    if (Worker.joinable()) Worker.join();
}

bool TStartupPrefetch::Stopping() {
    const std::lock_guard<std::mutex> lock(Mutex);
    return Stop;
}

void TStartupPrefetch::Run() {
    try {
        if (ReadDocuments()) DecodeTextures();
    } catch (...) {
        // Only the bookkeeping can fail here (out of memory); what is left undone is done in its place.
    }
    const std::lock_guard<std::mutex> lock(Mutex);
    Finished = true;
    Changed.notify_all();
}

bool TStartupPrefetch::ReadDocuments() {
    std::vector<std::string> textureFiles;
    std::unordered_set<std::string> listed;
    for (TDocumentStep& step : Documents) {
        if (Stopping()) return false;
        auto asset = std::make_unique<TColladaAsset>(TargetDocument);
        bool loaded = false;
        std::exception_ptr error;
        try {
            loaded = asset->LoadFromFile(step.FileName);
        } catch (...) {
            error = std::current_exception();
        }
        // Listed before the asset is handed over: from then on it belongs to the engine's thread.
        if (loaded)
            for (const auto& node : asset->VisualScenes->Items)
                if (const std::string* fileName = asset->TextureFileOf(*node))
                    if (listed.insert(*fileName).second) textureFiles.push_back(*fileName);
        const std::lock_guard<std::mutex> lock(Mutex);
        step.Result = {error ? nullptr : std::move(asset), loaded};
        step.Error = error;
        step.Done = true;
        Changed.notify_all();
        if (error) return false;
    }
    const std::lock_guard<std::mutex> lock(Mutex);
    for (std::string& fileName : textureFiles) {
        TextureIndex.emplace(fileName, Textures.size());
        Textures.push_back({std::move(fileName), 0, {}, nullptr, false});
    }
    TexturesListed = true;
    Changed.notify_all();
    return true;
}

// Decoded under the budget a fresh texture store starts with, taken down as the store will take it down.
void TStartupPrefetch::DecodeTextures() {
    long long budget = TexturePixelBudget;
    std::size_t heldBytes = 0;
    for (std::size_t i = 0; i < Textures.size(); ++i) {
        std::string fileName;
        {
            const std::lock_guard<std::mutex> lock(Mutex);
            if (Stop) return;
            fileName = Textures[i].FileName;
        }
        TTexturePixels pixels;
        std::exception_ptr error;
        try {
            pixels = DecodeTexturePixels(fileName, budget);
        } catch (...) {
            error = std::current_exception();
        }
        heldBytes += pixels.Rgba.size();
        const std::lock_guard<std::mutex> lock(Mutex);
        if (heldBytes > MaxEarlyPixelBytes) {
            Textures.resize(i);  // this one and the rest are decoded in their place
            return;
        }
        TTextureStep& step = Textures[i];
        step.MaxPixels = budget;
        step.Pixels = std::move(pixels);
        step.Error = error;
        step.Done = true;
        Changed.notify_all();
        if (error) return;
        budget -= static_cast<long long>(step.Pixels.Width) * step.Pixels.Height;
    }
}

void TStartupPrefetch::Abandon(std::unique_lock<std::mutex>& lock) {
    Stop = true;
    Changed.wait(lock, [this] { return Finished; });
}

std::optional<TStartupPrefetch::TLoadedDocument> TStartupPrefetch::TakeDocument(const std::string& fileName) {
    std::unique_lock<std::mutex> lock(Mutex);
    if (Stop || NextDocument >= Documents.size() || Documents[NextDocument].FileName != fileName) {
        Abandon(lock);
        return std::nullopt;
    }
    TDocumentStep& step = Documents[NextDocument];
    Changed.wait(lock, [&] { return step.Done || Finished; });
    if (!step.Done) {
        Abandon(lock);
        return std::nullopt;
    }
    ++NextDocument;
    if (step.Error) std::rethrow_exception(step.Error);
    return std::move(step.Result);
}

std::optional<TTexturePixels> TStartupPrefetch::TakeTexture(const std::string& fileName, long long maxPixels) {
    std::unique_lock<std::mutex> lock(Mutex);
    Changed.wait(lock, [this] { return TexturesListed || Finished; });
    const auto found = TextureIndex.find(fileName);
    if (Stop || found == TextureIndex.end()) return std::nullopt;
    const std::size_t i = found->second;
    Changed.wait(lock, [&] { return i >= Textures.size() || Textures[i].Done || Finished; });
    if (i >= Textures.size() || !Textures[i].Done || Textures[i].MaxPixels != maxPixels) return std::nullopt;
    TTextureStep& step = Textures[i];
    step.MaxPixels = -1;  // taken: asked again, the file is decoded in its place
    if (step.Error) std::rethrow_exception(step.Error);
    return std::move(step.Pixels);
}
