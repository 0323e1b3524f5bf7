// The user's model files opened through the door ahead, on a second thread, while a program makes its window
// and GL context: by the time the engine exists, their assets and decoded textures wait to be handed over.
#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ModelDoor.h"

class TModelReadAhead {
public:
    // Starts opening the files in this order through `document`, which nothing else may use until every
    // file has been taken or the read-ahead has ended.
    TModelReadAhead(TXmlDocument* document, std::vector<std::string> files, TDoorOptions options);
    ~TModelReadAhead();  // abandons what is not taken yet, after the file in hand
    TModelReadAhead(const TModelReadAhead&) = delete;
    TModelReadAhead& operator=(const TModelReadAhead&) = delete;

    const std::vector<std::string>& Files() const { return FileNames; }
    // The opened model of the index-th file, once it is open; raises what opening it raised. Each is taken
    // once.
    TOpenedModel Take(std::size_t index);

private:
    struct TStep {
        std::optional<TOpenedModel> Model;
        std::exception_ptr Error;
        bool Done = false;
    };
    void Run();

    TXmlDocument* Document;
    std::vector<std::string> FileNames;
    TDoorOptions Options;
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<TStep> Steps;
    bool Stop = false;
    std::thread Worker;  // last: starts once everything above exists
};
