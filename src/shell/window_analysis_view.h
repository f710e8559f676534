#pragma once

#include <deque>
#include <functional>
#include <future>
#include <mutex>

#include <QObject>

#include "analysis_view.h"

class MainWindow;

// Carries the run's calls from its worker thread to the window on the main thread, and waits
// for each. Never call it from the main thread: waiting there for the own thread deadlocks.
// Made on the main thread, whose event loop runs the calls.
class WindowAnalysisView final : public QObject, public AnalysisView {
    Q_OBJECT
public:
    explicit WindowAnalysisView(MainWindow& window) : m_window(window) {}

    std::string keywordText() override;
    void appendResultRow(const std::string& title, const std::string& keyword,
                         const std::string& count) override;
    void setButtonEnabled(ActionButton button, bool enabled) override;
    void showMessage(const std::string& text, MessageIcon icon) override;
    void showProgress(int seedNumber, int seedCount, const std::string& seed) override;
    void endProgress() override;

private:
    // Runs call on the window's thread and returns once it has run there.
    void callOnWindowThread(std::function<void()> call);
    Q_INVOKABLE void runPendingCalls();

    MainWindow& m_window;
    std::mutex m_mutex;
    std::deque<std::packaged_task<void()>> m_pending;
};
