// Child process for the exit tests: opens the window as the program does, optionally starts a
// run that blocks on a marketplace that never answers, then asks to close and chooses OK.
// Prints "choosing OK" right before the click, so the parent can time the end.

#include <cstdio>
#include <cstring>

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

RunState& probeRunState() {
    static RunState state;
    return state;
}

void releaseMatchResults() {
    probeRunState().matchResults.release();
}

void chooseOkWhenAsked() {
    QTimer::singleShot(0, [] {
        auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!question) {
            chooseOkWhenAsked();
            return;
        }
        std::puts("choosing OK");
        std::fflush(stdout);
        question->button(QMessageBox::Ok)->click();
    });
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const bool blocked = argc > 1 && std::strcmp(argv[1], "blocked") == 0;
    StandInMarketplace marketplace;
    marketplace.setFault(blocked ? StandInFault::NeverAnswers : StandInFault::None);
    CurlHttpClient http({.caFile = testCaFile()});
    probeRunState().matchResults.create();
    registerExitRoutine(releaseMatchResults);
    MainWindow window(probeRunState(), http, {marketplace.host(), marketplace.host()});
    window.show();
    if (blocked) {
        window.findChild<QPlainTextEdit*>(QStringLiteral("关键字输入框"))->setPlainText("a");
        window.findChild<QPushButton*>(QStringLiteral("按钮_开始分析"))->click();
    }
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (blocked && marketplace.requests().empty())
            return;
        poll.stop();
        chooseOkWhenAsked();
        window.close();
    });
    poll.start(10);
    app.exec();
    // Reaching this line means the window closed without ending the process.
    return 3;
}
