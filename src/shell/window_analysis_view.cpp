#include "window_analysis_view.h"

#include <QMetaObject>

#include "main_window.h"

void WindowAnalysisView::callOnWindowThread(std::function<void()> call) {
    std::packaged_task<void()> task(std::move(call));
    std::future<void> done = task.get_future();
    {
        std::lock_guard lock(m_mutex);
        m_pending.push_back(std::move(task));
    }
    // The call travels through m_pending and its end through the future: Qt's event queue and
    // semaphore would order the threads as well, but Qt is not built for ThreadSanitizer, which
    // would then see our data cross unordered. The queued call only wakes the window's thread;
    // invoked by name, it carries nothing that our code wrote.
    QMetaObject::invokeMethod(this, "runPendingCalls", Qt::QueuedConnection);
    done.wait();
}

void WindowAnalysisView::runPendingCalls() {
    for (;;) {
        std::packaged_task<void()> task;
        {
            std::lock_guard lock(m_mutex);
            if (m_pending.empty())
                return;
            task = std::move(m_pending.front());
            m_pending.pop_front();
        }
        task();
    }
}

std::string WindowAnalysisView::keywordText() {
    std::string text;
    callOnWindowThread([&] { text = m_window.keywordText(); });
    return text;
}

void WindowAnalysisView::appendResultRow(const std::string& title, const std::string& keyword,
                                         const std::string& count) {
    callOnWindowThread([&] { m_window.appendResultRow(title, keyword, count); });
}

void WindowAnalysisView::setButtonEnabled(ActionButton button, bool enabled) {
    callOnWindowThread([&] { m_window.setButtonEnabled(button, enabled); });
}

void WindowAnalysisView::showMessage(const std::string& text, MessageIcon icon) {
    // The box is non-modal: the window's thread goes on serving the window while this thread
    // waits for the box to close.
    std::promise<void> closed;
    std::future<void> whenClosed = closed.get_future();
    callOnWindowThread(
        [&] { m_window.showRunMessage(text, icon, [&closed] { closed.set_value(); }); });
    whenClosed.wait();
}

void WindowAnalysisView::showProgress(int seedNumber, int seedCount, const std::string& seed) {
    callOnWindowThread([&] { m_window.showProgress(seedNumber, seedCount, seed); });
}

void WindowAnalysisView::endProgress() {
    callOnWindowThread([&] { m_window.endProgress(); });
}
