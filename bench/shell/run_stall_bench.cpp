// How the window fares while a run fills it: the longest stall of the main thread's event loop
// over a run of 1,000 suggestions against the stand-in, and the rows per second, beside the
// stand-in's own rate for the same requests made without the window.

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>

#include "curl_http_client.h"
#include "main_window.h"
#include "marketplace_queries.h"
#include "standin_marketplace.h"

namespace {

constexpr int suggestionCount = 1000;

std::vector<std::string> suggestions() {
    std::vector<std::string> result;
    for (int i = 0; i < suggestionCount; ++i)
        result.push_back("连衣裙" + std::to_string(i));
    return result;
}

struct Marketplace {
    Marketplace() { standIn.setSuggestions("a", suggestions()); }
    StandInMarketplace standIn;
    CurlHttpClient http{{.caFile = testCaFile()}};
};

void BM_RunIntoWindow(benchmark::State& state) {
    Marketplace marketplace;
    RunState runState;
    runState.matchResults.create();
    MainWindow window(runState, marketplace.http,
                      {marketplace.standIn.host(), marketplace.standIn.host()});
    window.show();
    auto* keywords = window.findChild<QPlainTextEdit*>(QStringLiteral("关键字输入框"));
    auto* start = window.findChild<QPushButton*>(QStringLiteral("按钮_开始分析"));

    double longestStallMs = 0;
    double seconds = 0;
    for (auto _ : state) {
        window.results().deleteAllRows();
        // Editing the box enables Start again after the previous run.
        keywords->setPlainText(QStringLiteral("a"));
        QEventLoop loop;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestStallMs = std::max(longestStallMs, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                    box->button(QMessageBox::Ok)->click();
            if (!window.runActive() && window.results().rowCount() == suggestionCount)
                loop.quit();
        });
        QElapsedTimer run;
        run.start();
        sinceTick.start();
        ticker.start(1);
        start->click();
        loop.exec();
        seconds += run.nsecsElapsed() / 1e9;
    }
    state.counters["longest_stall_ms"] = longestStallMs;
    state.counters["rows_per_s"] =
        benchmark::Counter(double(suggestionCount) * state.iterations() / seconds);
}
BENCHMARK(BM_RunIntoWindow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_StandInRequestRate(benchmark::State& state) {
    Marketplace marketplace;
    const std::vector<std::string> words = suggestions();
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer run;
        run.start();
        benchmark::DoNotOptimize(
            marketplace.http.fetch(suggestionQueryUrl("a", marketplace.standIn.host())));
        for (const std::string& word : words)
            benchmark::DoNotOptimize(
                marketplace.http.fetch(searchQueryUrl(word, marketplace.standIn.host())));
        seconds += run.nsecsElapsed() / 1e9;
    }
    state.counters["requests_per_s"] =
        benchmark::Counter(double(suggestionCount + 1) * state.iterations() / seconds);
}
BENCHMARK(BM_StandInRequestRate)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen").toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
