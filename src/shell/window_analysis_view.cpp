#include "window_analysis_view.h"

#include <future>

#include <QMetaObject>

#include "main_window.h"

std::string WindowAnalysisView::keywordText() {
    std::string text;
    QMetaObject::invokeMethod(
        &m_window, [&] { text = m_window.keywordText(); }, Qt::BlockingQueuedConnection);
    return text;
}

void WindowAnalysisView::appendResultRow(const std::string& title, const std::string& keyword,
                                         const std::string& count) {
    QMetaObject::invokeMethod(
        &m_window, [&] { m_window.appendResultRow(title, keyword, count); },
        Qt::BlockingQueuedConnection);
}

void WindowAnalysisView::setButtonEnabled(ActionButton button, bool enabled) {
    QMetaObject::invokeMethod(
        &m_window, [&] { m_window.setButtonEnabled(button, enabled); },
        Qt::BlockingQueuedConnection);
}

void WindowAnalysisView::showMessage(const std::string& text, MessageIcon icon) {
    // The box is non-modal: the main thread goes on serving the window while this thread
    // waits for the box to close.
    std::promise<void> closed;
    std::future<void> whenClosed = closed.get_future();
    QMetaObject::invokeMethod(
        &m_window, [&] { m_window.showRunMessage(text, icon, [&closed] { closed.set_value(); }); },
        Qt::QueuedConnection);
    whenClosed.wait();
}

void WindowAnalysisView::showProgress(int seedNumber, int seedCount, const std::string& seed) {
    QMetaObject::invokeMethod(
        &m_window, [&] { m_window.showProgress(seedNumber, seedCount, seed); },
        Qt::BlockingQueuedConnection);
}

void WindowAnalysisView::endProgress() {
    QMetaObject::invokeMethod(
        &m_window, [&] { m_window.endProgress(); }, Qt::BlockingQueuedConnection);
}
