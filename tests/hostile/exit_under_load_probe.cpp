// Child process of the exit-under-load test: opens the window as the program does, starts a run
// against a slow stand-in marketplace, and at a moment drawn from the seed asks to close and
// chooses OK. The seed also draws what is going on then: a run still busy, its completion or
// failure message showing, or a Stop just pressed. Prints "choosing OK <steady-clock ns>" right
// before the click, so that the parent can time the end.
//
// exit_under_load_probe SEED

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "curl_http_client.h"
#include "exit_routines.h"
#include "main_window.h"
#include "standin_marketplace.h"

namespace {

using std::chrono::milliseconds;

RunState& probeRunState() {
    static RunState state;
    return state;
}

void releaseMatchResults() {
    probeRunState().matchResults.release();
}

enum class Scene { BusyRun, CompletionShowing, FailureShowing, StopPressed };

const char* sceneName(Scene scene) {
    switch (scene) {
    case Scene::BusyRun:
        return "busy run";
    case Scene::CompletionShowing:
        return "completion message";
    case Scene::FailureShowing:
        return "failure message";
    case Scene::StopPressed:
        return "stop pressed";
    }
    return "";
}

struct Plan {
    Scene scene;
    milliseconds latency;
    QString keywords;
    // After Start: when Stop is pressed (StopPressed only) and when the window is closed.
    milliseconds stopAfter;
    milliseconds closeAfter;
};

Plan planFor(std::uint64_t seed) {
    std::mt19937_64 random(seed);
    const auto upTo = [&](int most) {
        return milliseconds(std::uniform_int_distribution<int>(0, most)(random));
    };
    const auto scene = static_cast<Scene>(std::uniform_int_distribution<int>(0, 3)(random));
    switch (scene) {
    case Scene::BusyRun:
        // Three seeds of four to ten suggestions, 40 ms each: the run outlasts every moment.
        return {scene, milliseconds(40), QStringLiteral("a\nb\nc"), {}, upTo(1000)};
    case Scene::CompletionShowing:
        // Ends within some tens of milliseconds; most moments find its message showing.
        return {scene, milliseconds(0), QStringLiteral("a"), {}, upTo(400)};
    case Scene::FailureShowing:
        // An empty seed keyword gets no suggestion.
        return {scene, milliseconds(10), QStringLiteral("\n"), {}, upTo(400)};
    case Scene::StopPressed: {
        const milliseconds stopAfter = upTo(600);
        return {scene, milliseconds(40), QStringLiteral("a\nb\nc"), stopAfter,
                stopAfter + upTo(400)};
    }
    }
    return {};
}

void chooseOkWhenAsked() {
    QTimer::singleShot(0, [] {
        auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!question) {
            chooseOkWhenAsked();
            return;
        }
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("choosing OK %lld\n",
                    static_cast<long long>(std::chrono::nanoseconds(now).count()));
        std::fflush(stdout);
        question->button(QMessageBox::Ok)->click();
    });
}

} // namespace

int main(int argc, char* argv[]) {
    std::uint64_t seed = 0;
    const std::string_view seedText = argc == 2 ? argv[1] : "";
    const auto parsed = std::from_chars(seedText.data(), seedText.data() + seedText.size(), seed);
    if (seedText.empty() || parsed.ec != std::errc() ||
        parsed.ptr != seedText.data() + seedText.size()) {
        std::fputs("usage: exit_under_load_probe SEED\n", stderr);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const Plan plan = planFor(seed);
    std::printf("seed %llu: %s, closing %lld ms after Start\n",
                static_cast<unsigned long long>(seed), sceneName(plan.scene),
                static_cast<long long>(plan.closeAfter.count()));
    std::fflush(stdout);

    StandInMarketplace marketplace({.latency = plan.latency});
    CurlHttpClient http({.caFile = testCaFile()});
    probeRunState().matchResults.create();
    registerExitRoutine(releaseMatchResults);
    MainWindow window(probeRunState(), http, {marketplace.host(), marketplace.host()});
    window.show();
    window.findChild<QPlainTextEdit*>(QStringLiteral("关键字输入框"))->setPlainText(plan.keywords);
    window.findChild<QPushButton*>(QStringLiteral("按钮_开始分析"))->click();
    if (plan.scene == Scene::StopPressed) {
        QTimer::singleShot(plan.stopAfter, &window, [&window] {
            window.findChild<QPushButton*>(QStringLiteral("按钮_停止分析"))->click();
        });
    }
    QTimer::singleShot(plan.closeAfter, &window, [&window] {
        chooseOkWhenAsked();
        window.close();
    });
    app.exec();
    // Reaching this line means the window closed without ending the process.
    return 3;
}
