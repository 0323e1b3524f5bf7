// Model files written by the tests into a folder of their own, read through the door's worker, and a child
// process that bounds a case's time and memory, so that a hang or a runaway shows as that case's failure.
#pragma once

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

#include "ModelLibrary.h"

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Dir = std::filesystem::temp_directory_path() /
              ("workertest-" + std::to_string(getpid()) + "-" + info->test_suite_name() + "-" + info->name());
        std::filesystem::create_directories(Dir / "model");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }

    // Writes a file under the test's folder (model/NAME for the model's own folder) and returns its path.
    std::string Write(const std::string& name, std::string_view content) const {
        const std::filesystem::path path = Dir / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
        return path.string();
    }

    std::filesystem::path Dir;
};

// Raw bytes of a few floats or unsigned integers, for the buffers of test models.
template <typename T>
std::string BytesOf(std::initializer_list<T> values) {
    return std::string(reinterpret_cast<const char*>(values.begin()), values.size() * sizeof(T));
}

// How a case ended in its child: its text ("read ..." or the error's message), its time, and whether it ended
// within its bounds at all.
struct TBoundedRun {
    std::string Text;
    double Seconds = 0;
    bool Ended = false;  // by itself, not by the alarm or a signal
};

// Runs `work` in a child process with `seconds` of wall clock and `memoryBytes` of address space (not set in
// sanitizer builds); an exception becomes "error: " and its message.
inline TBoundedRun RunBounded(const std::function<std::string()>& work, unsigned seconds = 20,
                              rlim_t memoryBytes = rlim_t(1) << 30) {
    int fds[2];
    if (pipe(fds) != 0) return {"pipe failed"};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
#if !defined(__SANITIZE_ADDRESS__)
        // Only the soft limit: the worker started from here sets its own ceiling.
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = memoryBytes;
        setrlimit(RLIMIT_AS, &limit);
#else
        (void)memoryBytes;
#endif
        alarm(seconds);
        std::string text;
        try {
            text = work();
        } catch (const std::exception& error) {
            text = std::string("error: ") + error.what();
        }
        for (std::size_t at = 0; at < text.size();) {
            const ssize_t put = write(fds[1], text.data() + at, text.size() - at);
            if (put <= 0) _exit(4);
            at += static_cast<std::size_t>(put);
        }
        _exit(0);
    }
    close(fds[1]);
    TBoundedRun run;
    char buffer[4096];
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) != 0;)
        if (got > 0)
            run.Text.append(buffer, static_cast<std::size_t>(got));
        else if (errno != EINTR)
            break;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.Ended = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// The read of a model in a bounded child, summed up in one line: "read N mesh(es), N instance(s), N triangle(s),
// N image(s); warnings: [...] [...]" or "error: MESSAGE".
inline TBoundedRun ReadBounded(const std::string& model, const TWorkerLimits& limits, unsigned seconds = 20) {
    return RunBounded(
        [&] {
            const TModelScene scene = ReadWithModelLibrary(model, limits);
            std::size_t triangles = 0;
            for (const TModelMesh& mesh : scene.Meshes) triangles += mesh.Lines ? 0 : mesh.Indices.size() / 3;
            std::string text = "read " + std::to_string(scene.Meshes.size()) + " mesh(es), " +
                               std::to_string(scene.Instances.size()) + " instance(s), " + std::to_string(triangles) +
                               " triangle(s), " + std::to_string(scene.Images.size()) + " image(s); warnings:";
            for (const std::string& warning : scene.Warnings) text += " [" + warning + "]";
            return text;
        },
        seconds);
}
