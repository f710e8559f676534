#pragma once

#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "curl_http_client.h"
#include "fake_desktop.h"
#include "main_window.h"
#include "standin_marketplace.h"

// A main window wired to a stand-in marketplace, as the program wires it to the real one.
struct WindowFixture {
    WindowFixture() {
        state.matchResults.create();
        window = std::make_unique<MainWindow>(
            state, http, MarketplaceHosts{marketplace.host(), marketplace.host()},
            DesktopServices{&urlOpener, &popupMenus});
        window->show();
    }

    ~WindowFixture() {
        // A run must end before the window goes; close whatever message it still shows.
        while (window->runActive()) {
            closeRunMessages();
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        closeRunMessages();
    }

    template <typename T = QPushButton> T* control(const char* name) const {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
    QPushButton* start() const { return control("按钮_开始分析"); }
    QPushButton* stop() const { return control("按钮_停止分析"); }
    QPushButton* clear() const { return control("按钮_清空"); }
    QPushButton* import() const { return control("按钮_导入商家"); }
    QPlainTextEdit* keywords() const { return control<QPlainTextEdit>("关键字输入框"); }
    QTableView* list() const { return control<QTableView>("超级列表框1"); }

    // Clear / Stop / Start / Import enabled, as one string such as "0100".
    QString buttons() const {
        QString result;
        for (QPushButton* button : {clear(), stop(), start(), import()})
            result += button->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return result;
    }

    static QMessageBox* runMessage() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("runMessage") && widget->isVisible())
                return qobject_cast<QMessageBox*>(widget);
        return nullptr;
    }

    static void closeRunMessages() {
        while (QMessageBox* box = runMessage()) {
            box->button(QMessageBox::Ok)->click();
            QApplication::processEvents();
        }
    }

    StandInMarketplace marketplace;
    CurlHttpClient http{{.connectTimeout = std::chrono::seconds(5),
                         .stallTimeout = std::chrono::seconds(5),
                         .caFile = testCaFile()}};
    RunState state;
    FakeUrlOpener urlOpener;
    FakePopupMenus popupMenus;
    std::unique_ptr<MainWindow> window;
};
