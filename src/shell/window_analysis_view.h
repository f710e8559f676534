#pragma once

#include "analysis_view.h"

class MainWindow;

// Carries the run's calls from its worker thread to the window on the main thread, and waits
// for each. Never call it from the main thread: waiting there for the own thread deadlocks.
class WindowAnalysisView final : public AnalysisView {
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
    MainWindow& m_window;
};
