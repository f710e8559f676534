#include "analysis_launcher.h"

AnalysisLauncher::~AnalysisLauncher() {
    if (m_thread.joinable())
        m_thread.join();
}

bool AnalysisLauncher::start(std::function<void()> run) {
    if (m_active.exchange(true))
        return false;
    // The previous run has returned; its thread is at most finishing its last instructions.
    if (m_thread.joinable())
        m_thread.join();
    m_thread = std::thread([this, run = std::move(run)] {
        run();
        m_active = false;
    });
    return true;
}

bool AnalysisLauncher::active() const {
    return m_active;
}
