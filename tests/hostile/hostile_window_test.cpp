// Hostile answers through the real window: the run ends with its rows and message while the
// main thread keeps serving its event loop.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "gbk_qstring.h"
#include "hostile_support.h"
#include "window_fixture.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Made by the first window test and gone before static destruction begins, when Qt's own
// statics would already be gone under the windows it still has to destroy.
class ApplicationEnvironment final : public testing::Environment {
public:
    static QApplication& application() {
        if (!s_app) {
            // A plain run from the shell has no display; ctest sets the same.
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
            s_app = std::make_unique<QApplication>(s_argc, s_argv);
        }
        return *s_app;
    }

    void TearDown() override {
        if (s_app) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            s_app.reset();
        }
    }

private:
    static inline int s_argc = 1;
    static inline char s_name[] = "hostile_tests";
    static inline char* s_argv[] = {s_name, nullptr};
    static inline std::unique_ptr<QApplication> s_app;
};

const auto* const applicationEnvironment =
    testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// The longest time the main thread went without serving a 10 ms timer.
class EventLoopGapMeter {
public:
    EventLoopGapMeter() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_timer.start(10);
    }

    std::chrono::milliseconds longest() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::max(m_longest, Clock::now() - m_last));
    }

private:
    QTimer m_timer;
    Clock::time_point m_last = Clock::now();
    Clock::duration m_longest{};
};

// Runs the event loop as the program does, so that each of the run's blocking calls is served
// at once, until done() holds or the time is up.
bool serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(5);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

using Row = std::tuple<std::string, std::string, std::string>;

std::vector<Row> listedRows(ResultListModel& results) {
    std::vector<Row> rows;
    for (int row = 0; row < results.rowCount(); ++row) {
        rows.emplace_back(results.cellText(row, 0), results.cellText(row, 2),
                          results.cellText(row, 3));
    }
    return rows;
}

// Only against a stalled loop: a loaded two-core machine running a sanitizer build has shown
// single gaps of just over a second.
constexpr auto responsiveBound = 3s;
constexpr auto hangBound = 5min;

struct WindowCase {
    const char* name;
    std::function<void(StandInMarketplace&)> arrange;
    QString keywords;
    std::function<std::vector<Row>()> rows;
    std::string message = completedMessage;
    // Clear / Stop / Start / Import enabled once the message is closed.
    QString buttonsAfter = QStringLiteral("1000");
    // Every search query is refused at once, so that rows arrive as fast as the window takes
    // them.
    bool searchRefused = false;
};

void PrintTo(const WindowCase& hostile, std::ostream* out) {
    *out << hostile.name;
}

class HostileWindowTest : public testing::TestWithParam<WindowCase> {
protected:
    HostileWindowTest() { ApplicationEnvironment::application(); }
};

TEST_P(HostileWindowTest, RunEndsAsDefinedAndTheWindowStaysResponsive) {
    const WindowCase& hostile = GetParam();
    WindowFixture f;
    if (hostile.searchRefused) {
        f.window = std::make_unique<MainWindow>(
            f.state, f.http,
            MarketplaceHosts{f.marketplace.host(), "127.0.0.1:" + std::to_string(unusedPort())});
        f.window->show();
    }
    hostile.arrange(f.marketplace);
    f.keywords()->setPlainText(hostile.keywords);
    const auto startedAt = Clock::now();
    restartPeakResident();
    EventLoopGapMeter gaps;

    f.start()->click();
    ASSERT_TRUE(serveUntil([] { return WindowFixture::runMessage() != nullptr; }, hangBound));
    QMessageBox* box = WindowFixture::runMessage();
    const bool completed = hostile.message == completedMessage;
    EXPECT_EQ(box->text(), fromGbk(hostile.message));
    EXPECT_EQ(box->icon(), completed ? QMessageBox::Information : QMessageBox::Critical);
    box->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(serveUntil([&] { return !f.window->runActive(); }, hangBound));
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - startedAt);
    const long peakKiB = peakResidentKiB();
    const auto longestGap = gaps.longest();

    const std::vector<Row> expected = hostile.rows();
    const std::vector<Row> listed = listedRows(f.window->results());
    ASSERT_EQ(listed.size(), expected.size());
    const auto mismatch = std::ranges::mismatch(listed, expected);
    EXPECT_TRUE(mismatch.in1 == listed.end())
        << "row " << (mismatch.in1 - listed.begin()) << ": "
        << testing::PrintToString(*mismatch.in1) << " instead of "
        << testing::PrintToString(*mismatch.in2);
    EXPECT_EQ(f.buttons(), hostile.buttonsAfter);
    EXPECT_LT(longestGap, responsiveBound);
    EXPECT_LT(peakKiB, boundedPeakKiB);
    const std::string name = std::string("Window") + hostile.name;
    reportFigure(name + "_ms", took.count(), "ms");
    reportFigure(name + "_peak_rss_kib", peakKiB, "KiB");
    reportFigure(name + "_longest_event_loop_gap_ms", longestGap.count(), "ms");
}

// The run without the window takes ten thousand suggestions; here each row also costs a repaint
// of the list, some 15 ms under ThreadSanitizer, so that ten thousand would take minutes.
constexpr int manySuggestions = 2'000;

// 连衣裙 in UTF-8 and in GBK.
const std::string dress = "连衣裙";
const std::string dressGbk = "\xc1\xac\xd2\xc2\xc8\xb9";

INSTANTIATE_TEST_SUITE_P(
    StandInFaults, HostileWindowTest,
    testing::Values(
        WindowCase{.name = "TwoThousandSuggestionsWithTheSearchPageRefused",
                   .arrange =
                       [](StandInMarketplace& m) {
                           std::vector<std::string> suggestions;
                           for (int i = 0; i < manySuggestions; ++i) {
                               suggestions.push_back(dress + std::to_string(i));
                           }
                           m.setSuggestions("a", suggestions);
                       },
                   .keywords = "a",
                   .rows =
                       [] {
                           std::vector<Row> rows;
                           for (int i = 0; i < manySuggestions; ++i) {
                               rows.emplace_back(std::to_string(i + 1),
                                                 dressGbk + std::to_string(i), "");
                           }
                           return rows;
                       },
                   .searchRefused = true},
        // The worker waits out the fixture's five-second stall limit; the window goes on.
        WindowCase{.name = "SilentSearchPage",
                   .arrange =
                       [](StandInMarketplace& m) {
                           m.setSuggestions("a", {"a1"});
                           m.setFault(StandInFault::NeverAnswers, StandInService::Search);
                       },
                   .keywords = "a",
                   .rows =
                       [] {
                           return std::vector<Row>{{"1", "a1", ""}};
                       }},
        // The rows of the first seed stay; the run ends at the second, leaving only Stop.
        WindowCase{.name = "RandomSuggestionAnswerForTheSecondSeed",
                   .arrange =
                       [](StandInMarketplace& m) {
                           m.setSuggestions("a", {"a1"});
                           m.setCount("a1", "101");
                           m.setSuggestionBody("b", randomBody(5, 64 << 10));
                       },
                   .keywords = "a\nb",
                   .rows =
                       [] {
                           EXPECT_THAT(suggestionsIn(randomBody(5, 64 << 10)), testing::IsEmpty());
                           return std::vector<Row>{{"1", "a1", "101"}};
                       },
                   .message = noMatchMessage,
                   .buttonsAfter = "0100"},
        WindowCase{.name = "InvalidUtf8Suggestions",
                   .arrange =
                       [](StandInMarketplace& m) {
                           m.setSuggestions("a", {dress, dress, dress});
                           for (std::size_t i = 0; i < 3; ++i) {
                               m.setCount(invalidUtf8Suggestion(dress, i), std::to_string(i));
                           }
                           m.setFault(StandInFault::InvalidUtf8);
                       },
                   .keywords = "a",
                   .rows =
                       [] {
                           return std::vector<Row>{{"1", dressGbk + "?", "0"},
                                                   {"2", dressGbk + "?", "1"},
                                                   {"3", "??" + dressGbk, "2"}};
                       }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
