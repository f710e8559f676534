#include "window_analysis_view.h"

#include <atomic>
#include <future>

#include <QMetaObject>

#include "main_window.h"

namespace {

// Runs work on the window's thread; returns once work has run there. Qt's own event queue would
// order the two threads just as well, but Qt is not built for ThreadSanitizer, so the handover
// is also made with an atomic and a future that it can see.
template <typename Work> void runOnWindowThread(MainWindow& window, Work&& work) {
    std::atomic<bool> handedOver{false};
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    handedOver.store(true, std::memory_order_release);
    QMetaObject::invokeMethod(
        &window,
        [&] {
            handedOver.load(std::memory_order_acquire);
            work();
            done.set_value();
        },
        Qt::QueuedConnection);
    finished.wait();
}

} // namespace

std::string WindowAnalysisView::keywordText() {
    std::string text;
    runOnWindowThread(m_window, [&] { text = m_window.keywordText(); });
    return text;
}

void WindowAnalysisView::appendResultRow(const std::string& title, const std::string& keyword,
                                         const std::string& count) {
    runOnWindowThread(m_window, [&] { m_window.appendResultRow(title, keyword, count); });
}

void WindowAnalysisView::setButtonEnabled(ActionButton button, bool enabled) {
    runOnWindowThread(m_window, [&] { m_window.setButtonEnabled(button, enabled); });
}

void WindowAnalysisView::showMessage(const std::string& text, MessageIcon icon) {
    // The box is non-modal: the window's thread goes on serving the window while this thread
    // waits for the box to close.
    std::promise<void> closed;
    std::future<void> whenClosed = closed.get_future();
    runOnWindowThread(
        m_window, [&] { m_window.showRunMessage(text, icon, [&closed] { closed.set_value(); }); });
    whenClosed.wait();
}

void WindowAnalysisView::showProgress(int seedNumber, int seedCount, const std::string& seed) {
    runOnWindowThread(m_window, [&] { m_window.showProgress(seedNumber, seedCount, seed); });
}

void WindowAnalysisView::endProgress() {
    runOnWindowThread(m_window, [&] { m_window.endProgress(); });
}
