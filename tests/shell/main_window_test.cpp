#include <QFontInfo>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "gbk_qstring.h"
#include "window_fixture.h"

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsStandWhereTheyShould_data();
    void controlsStandWhereTheyShould();
    void windowIsFixedAndCentred();
    void headingUsesItsOwnFont();
    void resultListShowsItsColumns();
    void menuHasOnlyAHiddenItem();
    void typingEnablesStartAndNothingElse();
    void accessKeysWorkOnlyOnVisibleEnabledButtons_data();
    void accessKeysWorkOnlyOnVisibleEnabledButtons();
    void enterMakesANewLineAndTheRunReadsCrLf();
    void wholeRunFromTheKeyboard();
    void stopAppliesStoppedAtOnceAndTheRunEndsAfterItsSeed();
    void failedRunLeavesOnlyStopEnabled();
    void secondStartDuringARunStartsNothing();
    void escapeAsksAndCancelKeepsEverything();
};

void MainWindowTest::controlsStandWhereTheyShould_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("heading") << "按钮1"
                             << "QPushButton" << QRect(0, 0, 232, 40) << "★★输入关键字 一行一个★★"
                             << true << false;
    QTest::newRow("keyword box") << "关键字输入框"
                                 << "QPlainTextEdit" << QRect(0, 40, 232, 360) << "" << true
                                 << true;
    QTest::newRow("stop") << "按钮_停止分析"
                          << "QPushButton" << QRect(585, 405, 110, 44) << "停止分析（&T）" << true
                          << false;
    QTest::newRow("start") << "按钮_开始分析"
                           << "QPushButton" << QRect(465, 404, 110, 44) << "开始分析（&K）" << true
                           << false;
    QTest::newRow("clear") << "按钮_清空"
                           << "QPushButton" << QRect(704, 404, 110, 44) << "清 空(&Q)" << true
                           << false;
    QTest::newRow("import") << "按钮_导入商家"
                            << "QPushButton" << QRect(5, 404, 110, 44) << "导入关键字（&D）"
                            << false << false;
    QTest::newRow("result list") << "超级列表框1"
                                 << "ResultListView" << QRect(240, 2, 578, 398) << "" << true
                                 << true;
}

void MainWindowTest::controlsStandWhereTheyShould() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    WindowFixture f;
    auto* control = f.window->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->metaObject()->className(), kind);
    QCOMPARE(control->geometry(), geometry);
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    }
    QCOMPARE(control->isVisible(), visible);
    QCOMPARE(control->isEnabled(), enabled);
    QVERIFY(control->focusPolicy() & Qt::TabFocus);
}

void MainWindowTest::windowIsFixedAndCentred() {
    WindowFixture f;
    QCOMPARE(f.window->windowTitle(), QStringLiteral("关键字分析"));
    QCOMPARE(f.window->frameGeometry().size(), QSize(828, 482));
    QCOMPARE(f.window->minimumSize(), f.window->maximumSize());
    QVERIFY(!(f.window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f.window->windowFlags() & Qt::WindowMinimizeButtonHint);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(f.window->frameGeometry().topLeft(),
             QPoint((screen.width() - 828) / 2, (screen.height() - 482) / 2));
}

void MainWindowTest::headingUsesItsOwnFont() {
    WindowFixture f;
    const QFont font = f.control("按钮1")->font();
    QCOMPARE(font.pixelSize(), 16);
    QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    QCOMPARE(font.weight(), QFont::Normal);
    const QString family = QFontInfo(font).family();
    QVERIFY2(family == QStringLiteral("华文琥珀") || family.contains(QLatin1String("CJK")),
             qPrintable(family));
}

void MainWindowTest::resultListShowsItsColumns() {
    WindowFixture f;
    auto* list = f.control<QTableView>("超级列表框1");
    const QStringList headers{"ID",   "备用", "推荐关键字", "本关键字淘宝搜索总数",
                              "备用", "备用", "备用",       "备用"};
    const QList<int> widths{50, 0, 200, 150, 100, 100, 100, 200};
    for (int column = 0; column < 8; ++column) {
        QCOMPARE(list->model()->headerData(column, Qt::Horizontal).toString(), headers[column]);
        QCOMPARE(list->horizontalHeader()->sectionSize(column), widths[column]);
    }
    QVERIFY(list->showGrid());
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!list->isSortingEnabled());
    QVERIFY(!list->horizontalHeader()->sectionsMovable());
    QVERIFY(list->horizontalHeader()->sectionsClickable());
    QCOMPARE(list->model()->rowCount(), 0);
    QCOMPARE(list->selectionModel(), f.window->results().selectionModel());
}

void MainWindowTest::menuHasOnlyAHiddenItem() {
    WindowFixture f;
    auto* menu = f.window->findChild<QMenu*>(QStringLiteral("菜单"));
    QVERIFY(menu);
    QVERIFY(!menu->isVisible());
    QCOMPARE(menu->actions().size(), 1);
    QAction* item = menu->actions().first();
    QCOMPARE(item->text(), QStringLiteral("打开此店铺地址"));
    QVERIFY(!item->isVisible());
    QVERIFY(!item->isEnabled());
}

void MainWindowTest::typingEnablesStartAndNothingElse() {
    WindowFixture f;
    QCOMPARE(f.buttons(), QStringLiteral("0000"));
    QTest::keyClicks(f.keywords(), "a");
    QCOMPARE(f.buttons(), QStringLiteral("0010"));
    QTest::keyClick(f.keywords(), Qt::Key_Backspace);
    QCOMPARE(f.keywords()->toPlainText(), QString());
    QCOMPARE(f.buttons(), QStringLiteral("0010"));
}

void MainWindowTest::accessKeysWorkOnlyOnVisibleEnabledButtons_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("typeFirst");
    QTest::addColumn<QString>("buttonsAfter");
    QTest::newRow("Alt+K with Start disabled")
        << int(Qt::Key_K) << int(Qt::AltModifier) << false << "0000";
    QTest::newRow("Alt+Shift+K") << int(Qt::Key_K) << int(Qt::AltModifier | Qt::ShiftModifier)
                                 << true << "0010";
    QTest::newRow("Alt+D on the hidden button")
        << int(Qt::Key_D) << int(Qt::AltModifier) << true << "0010";
    QTest::newRow("Alt+K with Start enabled")
        << int(Qt::Key_K) << int(Qt::AltModifier) << true << "0100";
}

void MainWindowTest::accessKeysWorkOnlyOnVisibleEnabledButtons() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, typeFirst);
    QFETCH(QString, buttonsAfter);
    WindowFixture f;
    f.marketplace.setLatency(std::chrono::milliseconds(200));
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.keywords()->setFocus();
    if (typeFirst)
        QTest::keyClicks(f.keywords(), "a");
    const QString typed = f.keywords()->toPlainText();
    QTest::keyClick(f.keywords(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // An access key clicks its button with a short animation; give it time to land.
    QTest::qWait(300);
    QCOMPARE(f.buttons(), buttonsAfter);
    QCOMPARE(f.window->runActive(), buttonsAfter == QLatin1String("0100"));
    QCOMPARE(f.keywords()->toPlainText(), typed);
}

void MainWindowTest::enterMakesANewLineAndTheRunReadsCrLf() {
    WindowFixture f;
    f.keywords()->setFocus();
    QTest::keyClicks(f.keywords(), "a");
    QTest::keyClick(f.keywords(), Qt::Key_Return);
    QTest::keyClicks(f.keywords(), "b");
    QCOMPARE(f.keywords()->toPlainText(), QStringLiteral("a\nb"));
    QCOMPARE(f.window->keywordText(), std::string("a\r\nb"));
    QVERIFY(f.window->isVisible());
}

void MainWindowTest::wholeRunFromTheKeyboard() {
    WindowFixture f;
    f.marketplace.setSuggestions("连衣裙", {"连衣裙女夏", "连衣裙长款"});
    f.marketplace.setCount("连衣裙女夏", "4567");
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.keywords()->setFocus();
    for (QChar character : QStringLiteral("连衣裙"))
        QTest::sendKeyEvent(QTest::Click, f.keywords(), Qt::Key_unknown, QString(character),
                            Qt::NoModifier);
    QTest::keyClick(f.keywords(), Qt::Key_K, Qt::AltModifier);
    QTRY_COMPARE(f.buttons(), QStringLiteral("0100"));

    QTRY_VERIFY_WITH_TIMEOUT(WindowFixture::runMessage(), 10000);
    QMessageBox* box = WindowFixture::runMessage();
    QCOMPARE(box->text(), QStringLiteral("分析完毕！"));
    QCOMPARE(box->windowTitle(), QStringLiteral("信息："));
    QCOMPARE(box->icon(), QMessageBox::Information);
    QVERIFY(!box->parent());
    QCOMPARE(box->windowModality(), Qt::NonModal);
    // While the message shows, the run has not touched the buttons yet.
    QCOMPARE(f.buttons(), QStringLiteral("0100"));

    ResultListModel& rows = f.window->results();
    QCOMPARE(rows.rowCount(), 2);
    QCOMPARE(fromGbk(rows.cellText(0, 0)), QStringLiteral("1"));
    QCOMPARE(fromGbk(rows.cellText(0, 2)), QStringLiteral("连衣裙女夏"));
    QCOMPARE(fromGbk(rows.cellText(0, 3)), QStringLiteral("4567"));
    QCOMPARE(fromGbk(rows.cellText(1, 0)), QStringLiteral("2"));
    for (int column : {1, 4, 5, 6, 7})
        QCOMPARE(rows.cellText(0, column), std::string());

    box->button(QMessageBox::Ok)->click();
    QTRY_COMPARE(f.buttons(), QStringLiteral("1000"));
    QTRY_VERIFY(!f.window->runActive());
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));

    QTest::keyClick(f.keywords(), Qt::Key_Q, Qt::AltModifier);
    QTRY_COMPARE(f.buttons(), QStringLiteral("0001"));
    QCOMPARE(rows.rowCount(), 0);
    QCOMPARE(f.keywords()->toPlainText(), QStringLiteral("连衣裙"));
}

void MainWindowTest::stopAppliesStoppedAtOnceAndTheRunEndsAfterItsSeed() {
    WindowFixture f;
    f.marketplace.setSuggestions("a", {"a1", "a2", "a3"});
    f.marketplace.setLatency(std::chrono::milliseconds(50));
    f.keywords()->setPlainText(QStringLiteral("a\nb\nc"));
    f.start()->click();
    QTRY_VERIFY_WITH_TIMEOUT(f.window->results().rowCount() >= 1, 10000);
    f.stop()->click();
    QCOMPARE(f.buttons(), QStringLiteral("1000"));
    QTRY_VERIFY_WITH_TIMEOUT(WindowFixture::runMessage(), 10000);
    QCOMPARE(f.window->results().rowCount(), 3);
    QCOMPARE(f.state.stopRequested.load(), 0);
    WindowFixture::closeRunMessages();
    QTRY_VERIFY(!f.window->runActive());
    QCOMPARE(f.buttons(), QStringLiteral("1000"));
}

void MainWindowTest::failedRunLeavesOnlyStopEnabled() {
    WindowFixture f;
    f.marketplace.setSuggestions("none", {});
    f.keywords()->setPlainText(QStringLiteral("none"));
    f.start()->click();
    QTRY_VERIFY_WITH_TIMEOUT(WindowFixture::runMessage(), 10000);
    QMessageBox* box = WindowFixture::runMessage();
    QCOMPARE(box->text(), QStringLiteral("匹配失败，请检检查正则语句是否有误，数量：0"));
    QCOMPARE(box->windowTitle(), QStringLiteral("信息："));
    QCOMPARE(box->icon(), QMessageBox::Critical);
    box->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(!f.window->runActive());
    QCOMPARE(f.buttons(), QStringLiteral("0100"));
    f.stop()->click();
    QCOMPARE(f.buttons(), QStringLiteral("1000"));
    QCOMPARE(f.state.stopRequested.load(), 1);
}

void MainWindowTest::secondStartDuringARunStartsNothing() {
    WindowFixture f;
    f.marketplace.setSuggestions("a", {"a1", "a2"});
    f.marketplace.setLatency(std::chrono::milliseconds(100));
    f.keywords()->setPlainText(QStringLiteral("a"));
    f.start()->click();
    // The run has read the box once it asks for suggestions; later edits do not reach it.
    QTRY_VERIFY(!f.marketplace.requests().empty());
    QTest::keyClicks(f.keywords(), "x");
    QCOMPARE(f.buttons(), QStringLiteral("0110"));
    f.start()->click();
    QCOMPARE(f.buttons(), QStringLiteral("0100"));
    QTRY_VERIFY_WITH_TIMEOUT(WindowFixture::runMessage(), 10000);
    WindowFixture::closeRunMessages();
    QTRY_VERIFY(!f.window->runActive());
    QCOMPARE(f.window->results().rowCount(), 2);
    int suggestionQueries = 0;
    for (const auto& request : f.marketplace.requests())
        suggestionQueries += request.requestLine.starts_with("GET /sug") ? 1 : 0;
    QCOMPARE(suggestionQueries, 1);
}

void MainWindowTest::escapeAsksAndCancelKeepsEverything() {
    WindowFixture f;
    f.window->appendResultRow("1", "kw", "10");
    f.keywords()->setPlainText(QStringLiteral("a"));
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.keywords()->setFocus();
    const QString before = f.buttons();
    bool asked = false;
    QTimer::singleShot(0, this, [&] {
        auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(question);
        asked = true;
        QCOMPARE(question->text(), QStringLiteral("您确认要退出吗？"));
        QCOMPARE(question->windowTitle(), QStringLiteral("是否退出？"));
        QCOMPARE(question->icon(), QMessageBox::NoIcon);
        QCOMPARE(question->windowModality(), Qt::ApplicationModal);
        QCOMPARE(question->defaultButton(), question->button(QMessageBox::Ok));
        QVERIFY(question->button(QMessageBox::Cancel));
        question->button(QMessageBox::Cancel)->click();
    });
    QTest::keyClick(f.keywords(), Qt::Key_Escape);
    QVERIFY(asked);
    QVERIFY(f.window->isVisible());
    QCOMPARE(f.window->results().rowCount(), 1);
    QCOMPARE(f.keywords()->toPlainText(), QStringLiteral("a"));
    QCOMPARE(f.buttons(), before);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
