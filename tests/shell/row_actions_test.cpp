#include <QClipboard>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "gbk_qstring.h"
#include "window_fixture.h"

namespace {

// GBK: 连衣裙
const std::string dress = "\xc1\xac\xd2\xc2\xc8\xb9";

QPoint rowCentre(QTableView* list, int row) {
    return list->visualRect(list->model()->index(row, 2)).center();
}

QPoint belowLastRow(QTableView* list) {
    return QPoint(100, list->viewport()->height() - 5);
}

void clickHeader(QTableView* list, int column) {
    QHeaderView* header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class RowActionsTest : public QObject {
    Q_OBJECT
private slots:
    void headerClickSortsByThatColumn();
    void doubleClickOpensTheSelectedRowsChatLink();
    void doubleClickOpensNothing_data();
    void doubleClickOpensNothing();
    void rightClickPopsUpTheMenuWithoutItems_data();
    void rightClickPopsUpTheMenuWithoutItems();
    void ctrlCCopiesTheSelectedRow();
    void ctrlShiftCCopiesEveryRowUnderTheHeader();
    void copiedCellsThatHoldTabsOrLineBreaksStayOneCell();
    void titleShowsProgressAndReturnsAfterTheRun_data();
    void titleShowsProgressAndReturnsAfterTheRun();
    void listChangesBetweenAppendsKeepCellsOnTheirRows_data();
    void listChangesBetweenAppendsKeepCellsOnTheirRows();
};

void RowActionsTest::headerClickSortsByThatColumn() {
    WindowFixture f;
    f.window->appendResultRow("1", "a", "300");
    f.window->appendResultRow("2", "b", "20");
    f.window->appendResultRow("3", "c", "1000");
    f.list()->selectRow(1);
    clickHeader(f.list(), 3);
    ResultListModel& rows = f.window->results();
    QCOMPARE(rows.cellText(0, 3), std::string("20"));
    QCOMPARE(rows.cellText(1, 3), std::string("300"));
    QCOMPARE(rows.cellText(2, 3), std::string("1000"));
    QCOMPARE(rows.cellText(0, 2), std::string("b"));
    QCOMPARE(rows.selectedRow(), -1);
    clickHeader(f.list(), 0);
    QCOMPARE(rows.rowTitle(0), std::string("1"));
    QCOMPARE(rows.rowTitle(2), std::string("3"));
}

void RowActionsTest::doubleClickOpensTheSelectedRowsChatLink() {
    WindowFixture f;
    f.window->appendResultRow("1", "x", "1");
    f.window->appendResultRow("2", dress, "4567");
    QTest::mouseClick(f.list()->viewport(), Qt::LeftButton, {}, rowCentre(f.list(), 1));
    QTest::mouseDClick(f.list()->viewport(), Qt::LeftButton, {}, rowCentre(f.list(), 1));
    QCOMPARE(f.urlOpener.opened.size(), std::size_t{1});
    QCOMPARE(f.urlOpener.opened[0],
             "http://" + std::string(marketplaceWebHost) +
                 "/webww/?spm=0.0.0.228.48bf79&ver=1&&touid=cntaobao%C1%AC%D2%C2%C8%B9"
                 "&siteid=cntaobao&status=2&portalId=&gid=59800934&itemsId=");
}

void RowActionsTest::doubleClickOpensNothing_data() {
    QTest::addColumn<bool>("rowSelected");
    QTest::newRow("no row selected") << false;
    QTest::newRow("a row selected, then a double-click below the last row") << true;
}

void RowActionsTest::doubleClickOpensNothing() {
    QFETCH(bool, rowSelected);
    WindowFixture f;
    f.window->appendResultRow("1", dress, "1");
    if (rowSelected) {
        f.list()->selectRow(0);
        QTest::mouseClick(f.list()->viewport(), Qt::LeftButton, {}, belowLastRow(f.list()));
        QTest::mouseDClick(f.list()->viewport(), Qt::LeftButton, {}, belowLastRow(f.list()));
    } else {
        // The second half of a pair alone, so that no first click selects the row.
        const QPoint at = rowCentre(f.list(), 0);
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, at,
                                f.list()->viewport()->mapToGlobal(at), Qt::LeftButton,
                                Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.list()->viewport(), &doubleClick);
    }
    QVERIFY(f.urlOpener.opened.empty());
}

void RowActionsTest::rightClickPopsUpTheMenuWithoutItems_data() {
    QTest::addColumn<bool>("onRow");
    QTest::newRow("on a row") << true;
    QTest::newRow("below the last row") << false;
}

void RowActionsTest::rightClickPopsUpTheMenuWithoutItems() {
    QFETCH(bool, onRow);
    WindowFixture f;
    f.window->appendResultRow("1", dress, "1");
    const QPoint at = onRow ? rowCentre(f.list(), 0) : belowLastRow(f.list());
    QTest::mouseClick(f.list()->viewport(), Qt::RightButton, {}, at);
    QCOMPARE(f.popupMenus.calls.size(), std::size_t{1});
    const FakePopupMenus::Call& call = f.popupMenus.calls[0];
    QVERIFY(call.entries.empty());
    QCOMPARE(call.at, QCursor::pos() + QPoint(3, 3));
    QCOMPARE(call.owner, f.window.get());
    QVERIFY(f.urlOpener.opened.empty());
}

void RowActionsTest::ctrlCCopiesTheSelectedRow() {
    WindowFixture f;
    f.window->appendResultRow("1", dress, "4567");
    f.window->appendResultRow("2", "b", "");
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(f.list(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    f.list()->selectRow(0);
    QTest::keyClick(f.list(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("1\t连衣裙\t4567\t\t\t\t"));
}

void RowActionsTest::ctrlShiftCCopiesEveryRowUnderTheHeader() {
    WindowFixture f;
    f.window->appendResultRow("1", dress, "4567");
    f.window->appendResultRow("2", "b", "");
    QTest::keyClick(f.list(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("ID\t推荐关键字\t本关键字淘宝搜索总数\t备用\t备用\t备用\t备用\n"
                            "1\t连衣裙\t4567\t\t\t\t\n"
                            "2\tb\t\t\t\t\t"));
}

void RowActionsTest::copiedCellsThatHoldTabsOrLineBreaksStayOneCell() {
    WindowFixture f;
    f.window->appendResultRow("1", "a\tb", "say \"hi\"\nthere");
    f.list()->selectRow(0);
    QTest::keyClick(f.list(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("1\t\"a\tb\"\t\"say \"\"hi\"\"\nthere\"\t\t\t\t"));
}

void RowActionsTest::titleShowsProgressAndReturnsAfterTheRun_data() {
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<bool>("stopDuringFirst");
    QTest::addColumn<QStringList>("titlesSeen");
    QTest::newRow("completed") << "a\nb" << false
                               << QStringList{"关键字分析 - 正在分析 1/2：a",
                                              "关键字分析 - 正在分析 2/2：b"};
    QTest::newRow("stopped") << "a\nb" << true << QStringList{"关键字分析 - 正在分析 1/2：a"};
    QTest::newRow("failed") << "连衣裙\nnone" << false
                            << QStringList{"关键字分析 - 正在分析 1/2：连衣裙",
                                           "关键字分析 - 正在分析 2/2：none"};
}

void RowActionsTest::titleShowsProgressAndReturnsAfterTheRun() {
    QFETCH(QString, keywords);
    QFETCH(bool, stopDuringFirst);
    QFETCH(QStringList, titlesSeen);
    WindowFixture f;
    f.marketplace.setSuggestions("a", {"a1"});
    f.marketplace.setSuggestions("b", {"b1"});
    f.marketplace.setSuggestions("连衣裙", {"连衣裙女"});
    f.marketplace.setSuggestions("none", {});
    f.keywords()->setPlainText(keywords);
    QStringList seen;
    connect(f.window.get(), &QWidget::windowTitleChanged, this, [&](const QString& title) {
        if (seen.isEmpty() || seen.last() != title)
            seen << title;
        if (stopDuringFirst)
            f.stop()->click();
    });
    f.start()->click();
    QTRY_VERIFY_WITH_TIMEOUT(WindowFixture::runMessage(), 10000);
    WindowFixture::closeRunMessages();
    QTRY_VERIFY(!f.window->runActive());
    QCOMPARE(seen.mid(0, seen.size() - 1), titlesSeen);
    QCOMPARE(f.window->windowTitle(), QStringLiteral("关键字分析"));
}

void RowActionsTest::listChangesBetweenAppendsKeepCellsOnTheirRows_data() {
    QTest::addColumn<bool>("sortInstead");
    QTest::newRow("Clear") << false;
    QTest::newRow("header click") << true;
}

void RowActionsTest::listChangesBetweenAppendsKeepCellsOnTheirRows() {
    QFETCH(bool, sortInstead);
    WindowFixture f;
    f.marketplace.setSuggestions("a", {"a1", "a2", "a3", "a4", "a5"});
    for (int i = 1; i <= 5; ++i)
        f.marketplace.setCount("a" + std::to_string(i), std::to_string(100 - i));
    f.keywords()->setPlainText(QStringLiteral("a"));
    // Every second row is followed by a Clear or a sort by count, handled on the main thread
    // before the run's next row reaches the window.
    int appended = 0;
    connect(&f.window->results(), &QAbstractItemModel::rowsInserted, this, [&] {
        if (++appended % 2 != 0)
            return;
        QTimer::singleShot(0, this, [&] {
            if (sortInstead)
                clickHeader(f.list(), 3);
            else
                f.clear()->click();
        });
    });
    f.start()->click();
    QTRY_VERIFY_WITH_TIMEOUT(WindowFixture::runMessage(), 10000);
    WindowFixture::closeRunMessages();
    QTRY_VERIFY(!f.window->runActive());
    ResultListModel& rows = f.window->results();
    QVERIFY(rows.rowCount() > 0);
    for (int row = 0; row < rows.rowCount(); ++row) {
        const std::string title = rows.rowTitle(row);
        QCOMPARE(rows.cellText(row, 2), "a" + title);
        QCOMPARE(rows.cellText(row, 3), std::to_string(100 - std::stoi(title)));
    }
}

QTEST_MAIN(RowActionsTest)
#include "row_actions_test.moc"
