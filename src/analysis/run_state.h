#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "regex_pattern.h"

// The match list of the seed keyword searched last. The run keeps its own reference to the
// list it iterates, so releasing the process's list at exit never pulls it from under the run.
class MatchResults {
public:
    void create();
    // Makes matches the current list and returns the run's reference to it. After release the
    // list is no longer stored: the process is ending.
    std::shared_ptr<const MatchList> replace(MatchList matches);
    void release();
    std::shared_ptr<const MatchList> current() const;

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const MatchList> m_list;
    bool m_released = false;
};

// The state that exists once for the process and that the window and the run share.
struct RunState {
    // Set to 1 by Stop on the main thread; tested and cleared by the run on its worker thread.
    std::atomic<int> stopRequested{0};
    MatchResults matchResults;
};
