#pragma once

#include <atomic>
#include <functional>
#include <thread>

// Starts runs on a worker thread, at most one at a time, and never waits for one to end.
class AnalysisLauncher {
public:
    AnalysisLauncher() = default;
    // Joins a run still going. The program never gets here (it ends through endProgram); tests
    // must let their runs finish first.
    ~AnalysisLauncher();
    AnalysisLauncher(const AnalysisLauncher&) = delete;
    AnalysisLauncher& operator=(const AnalysisLauncher&) = delete;

    // Starts run on a new thread; does nothing and returns false while a run is active.
    bool start(std::function<void()> run);
    bool active() const;

private:
    std::atomic<bool> m_active{false};
    std::thread m_thread;
};
