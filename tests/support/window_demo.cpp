// Opens the program's window against an in-process stand-in marketplace, types seed keywords,
// starts a run with a click on Start as a seller would, closes the completion message and selects a
// row, then prints "ready" and stays open: scripts/screenshot.sh photographs it under Xvfb.

#include <cstdio>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "curl_http_client.h"
#include "main_window.h"
#include "standin_marketplace.h"

namespace {

void whenRunEnds(MainWindow& window, std::function<void()> then) {
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, [&window, poll, then] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                box->button(QMessageBox::Ok)->click();
        if (window.runActive())
            return;
        poll->stop();
        then();
    });
    poll->start(50);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    StandInMarketplace marketplace({.latency = std::chrono::milliseconds(30)});
    CurlHttpClient http({.caFile = testCaFile()});
    RunState state;
    state.matchResults.create();
    MainWindow window(state, http, {marketplace.host(), marketplace.host()});
    window.show();
    QTimer::singleShot(500, [&] {
        auto* keywords = window.findChild<QPlainTextEdit*>(QStringLiteral("关键字输入框"));
        keywords->setFocus();
        keywords->insertPlainText(QStringLiteral("连衣裙\n女装\n手机壳"));
        auto* start = window.findChild<QPushButton*>(QStringLiteral("按钮_开始分析"));
        QTest::mouseClick(start, Qt::LeftButton);
        whenRunEnds(window, [&window, keywords] {
            window.results().selectionModel()->select(window.results().index(2, 0),
                                                      QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
            keywords->setFocus();
            QTimer::singleShot(300, [] {
                std::puts("ready");
                std::fflush(stdout);
            });
        });
    });
    return app.exec();
}
