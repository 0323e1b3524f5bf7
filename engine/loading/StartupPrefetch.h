// Start-up work done ahead on a second thread while the window and its GL context are made: the documents a
// window is about to load, read in its order into its XML document, then the texture files they name, decoded
// in the order material preparation will ask for them. The engine takes each result at the point where it
// would have done that work itself, so the GL calls, their order and the first error shown stay those of
// loading one thing after another. An error is kept until its point is reached, and shown only then; after
// a failure nothing more is read ahead, since a sequential start-up would stop there too.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "Colladaasset.h"
#include "TexturePixels.h"

class TStartupPrefetch {
public:
    // Starts reading the documents into `document`, which nothing else may use until the prefetch has been
    // taken whole or abandoned.
    TStartupPrefetch(TXmlDocument* document, std::vector<std::string> documentFiles);
    ~TStartupPrefetch();  // abandons what is not taken yet, after the step in hand
    TStartupPrefetch(const TStartupPrefetch&) = delete;
    TStartupPrefetch& operator=(const TStartupPrefetch&) = delete;

    TXmlDocument* Document() const { return TargetDocument; }

    // A document's load as LoadFromFile did it: the asset and its result.
    struct TLoadedDocument {
        std::unique_ptr<TColladaAsset> Asset;
        bool Loaded = false;
    };
    // The load of fileName when it is the next document of the list: waits for it, and raises the error its
    // load raised. Any other name abandons the prefetch (nullopt), so that the caller may use the document.
    std::optional<TLoadedDocument> TakeDocument(const std::string& fileName);

    // The pixels of fileName when they were decoded ahead under a budget of maxPixels: waits for them, and
    // raises the error their decoding raised. nullopt when the file was not decoded ahead or under another
    // budget; the caller decodes it then.
    std::optional<TTexturePixels> TakeTexture(const std::string& fileName, long long maxPixels);

    // Pixels decoded ahead wait in memory for their upload; beyond this many bytes decoded ahead in all, the
    // rest is left to the texture store.
    static constexpr std::size_t MaxEarlyPixelBytes = std::size_t{128} << 20;

private:
    struct TDocumentStep {
        std::string FileName;
        TLoadedDocument Result;
        std::exception_ptr Error;
        bool Done = false;
        bool Taken = false;
    };
    struct TTextureStep {
        std::string FileName;
        long long MaxPixels = 0;
        TTexturePixels Pixels;
        std::exception_ptr Error;
        bool Done = false;
    };

    void Run();
    // Reads the documents in turn, then lists the texture files of those that loaded in the order material
    // preparation asks for them, each once; false when a load failed or the prefetch was stopped.
    bool ReadDocuments();
    void DecodeTextures();
    void Abandon(std::unique_lock<std::mutex>& lock);
    bool Stopping();

    TXmlDocument* TargetDocument;
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<TDocumentStep> Documents;
    std::size_t NextDocument = 0;  // the next document to be taken
    std::vector<TTextureStep> Textures;
    std::unordered_map<std::string, std::size_t> TextureIndex;  // file name to its step
    bool TexturesListed = false;
    bool Finished = false;  // the thread does no more
    bool Stop = false;
    std::thread Worker;  // last: starts once everything above exists
};
