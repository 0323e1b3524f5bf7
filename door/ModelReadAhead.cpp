#include "ModelReadAhead.h"

#include <stdexcept>
#include <utility>

TModelReadAhead::TModelReadAhead(TXmlDocument* document, std::vector<std::string> files, TDoorOptions options)
    : Document(document), FileNames(std::move(files)), Options(options), Steps(FileNames.size()) {
    Worker = std::thread([this] { Run(); });
}

TModelReadAhead::~TModelReadAhead() {
    {
        const std::lock_guard<std::mutex> lock(Mutex);
        Stop = true;
    }
    Worker.join();
}

void TModelReadAhead::Run() {
    for (std::size_t i = 0; i < FileNames.size(); ++i) {
        {
            const std::lock_guard<std::mutex> lock(Mutex);
            if (Stop) break;
        }
        TStep step;
        try {
            step.Model = OpenModel(*Document, FileNames[i], Options);
        } catch (...) {
            step.Error = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(Mutex);
        step.Done = true;
        Steps[i] = std::move(step);
        Changed.notify_all();
    }
    // Whatever was not reached is done, empty, so that nobody waits for it.
    const std::lock_guard<std::mutex> lock(Mutex);
    for (TStep& step : Steps)
        if (!step.Done) {
            step.Error = std::make_exception_ptr(std::runtime_error("the read-ahead ended before this file"));
            step.Done = true;
        }
    Changed.notify_all();
}

TOpenedModel TModelReadAhead::Take(std::size_t index) {
    std::unique_lock<std::mutex> lock(Mutex);
    TStep& step = Steps.at(index);
    Changed.wait(lock, [&] { return step.Done; });
    if (step.Error) std::rethrow_exception(std::exchange(step.Error, nullptr));
    if (!step.Model) throw std::logic_error("a read-ahead model is taken once");
    TOpenedModel model = std::move(*step.Model);
    step.Model.reset();
    return model;
}
