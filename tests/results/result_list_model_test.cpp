#include <climits>
#include <string>
#include <vector>

#include <QSignalSpy>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model_fixture.h"
#include "named_case.h"
#include "result_list_model.h"

namespace {

using namedCase::PrintTo;

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ResultListModelTest = ModelFixture;

TEST_F(ResultListModelTest, InsertRowAppendsAndReturnsTheFormerRowCount) {
    EXPECT_EQ(m_model.insertRow("7"), 0);
    EXPECT_EQ(m_model.insertRow("3"), 1);
    EXPECT_EQ(m_model.insertRow("7"), 2);

    EXPECT_EQ(m_model.rowCount(), 3);
    EXPECT_THAT(titles(), ElementsAre("7", "3", "7"));
    for (int column = 1; column < ResultListModel::columns; ++column)
        EXPECT_EQ(m_model.cellText(2, column), "") << "column " << column;
    EXPECT_EQ(m_model.selectedRow(), -1);
}

TEST(ResultListModelLimit, InsertRowIsRefusedAtTheRowLimitAndChangesNothing) {
    ResultListModel model(nullptr, 2);
    CheckedModel checks(&model);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    EXPECT_EQ(model.insertRow("1"), 0);
    EXPECT_EQ(model.insertRow("2"), 1);
    EXPECT_EQ(model.insertRow("3"), -1);

    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.rowTitle(1), "2");
    EXPECT_EQ(inserted.count(), 2);
    model.deleteRow(0);
    EXPECT_EQ(model.insertRow("3"), 1) << "a freed place can be used again";
    EXPECT_TRUE(checks.reports().isEmpty()) << checks.reports().toStdString();
}

TEST(ResultListModelLimit, NoRowLimitBelowOneRefusesEveryRow) {
    for (const int limit : {0, -5, INT_MIN}) {
        ResultListModel model(nullptr, limit);
        EXPECT_EQ(model.insertRow("1"), -1) << "limit " << limit;
        EXPECT_EQ(model.rowCount(), 0) << "limit " << limit;
    }
}

TEST_F(ResultListModelTest, SetCellTextReplacesOneCellAndReportsThatCell) {
    addRows({"1", "2"});
    QSignalSpy changed(&m_model, &QAbstractItemModel::dataChanged);

    m_model.setCellText(1, 0, "9");
    m_model.setCellText(1, 1, "hidden");
    m_model.setCellText(1, 7, "last");
    m_model.setCellText(1, 7, "");

    EXPECT_EQ(m_model.rowTitle(1), "9");
    EXPECT_EQ(m_model.cellText(1, 0), "9");
    EXPECT_EQ(m_model.cellText(1, 1), "hidden") << "the hidden column is a column like any other";
    EXPECT_EQ(m_model.cellText(1, 7), "");
    EXPECT_EQ(m_model.rowTitle(0), "1");
    ASSERT_EQ(changed.count(), 4);
    EXPECT_EQ(changed[1][0].value<QModelIndex>(), m_model.index(1, 1));
    EXPECT_EQ(changed[1][1].value<QModelIndex>(), m_model.index(1, 1));
}

TEST_F(ResultListModelTest, CellsKeepAnyNonZeroBytes) {
    const std::string allBytes = [] {
        std::string bytes;
        for (int byte = 1; byte < 256; ++byte)
            bytes.push_back(static_cast<char>(byte));
        return bytes;
    }();
    addRows({allBytes});
    m_model.setCellText(0, 3, allBytes + allBytes);

    EXPECT_EQ(m_model.rowTitle(0), allBytes);
    EXPECT_EQ(m_model.cellText(0, 3), allBytes + allBytes);
}

TEST_F(ResultListModelTest, TextsEndAtTheirFirstZeroByte) {
    using namespace std::string_view_literals;
    m_model.insertRow("12\0abc"sv);
    m_model.setCellText(0, 2, "\xC1\xAC\0tail"sv);

    EXPECT_EQ(m_model.rowTitle(0), "12");
    EXPECT_EQ(m_model.cellText(0, 2), "\xC1\xAC");
    EXPECT_EQ(m_model.findRowByTitle("12\0zzz"sv), 0);
}

TEST(ResultListModelEmpty, ReadsOfAnEmptyListAreEmpty) {
    ResultListModel model;
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 8);
    EXPECT_EQ(model.cellText(-1, 7), "");
    EXPECT_EQ(model.cellText(0, 2), "");
    EXPECT_EQ(model.rowTitle(0), "");
    EXPECT_EQ(model.findRowByTitle(""), -1);
    EXPECT_EQ(model.selectedRow(), -1);
}

struct MissingCell {
    const char* name;
    int row;
    int column;
};

class MissingCellTest : public ModelFixture, public ::testing::WithParamInterface<MissingCell> {};

TEST_P(MissingCellTest, ReadsEmptyAndIsLeftAloneByWrites) {
    addRows({"1", "2", "3"});
    for (int row = 0; row < 3; ++row)
        for (int column = 1; column < ResultListModel::columns; ++column)
            m_model.setCellText(row, column,
                                "r" + std::to_string(row) + "c" + std::to_string(column));
    const auto before = rows();
    QSignalSpy changed(&m_model, &QAbstractItemModel::dataChanged);

    EXPECT_EQ(m_model.cellText(GetParam().row, GetParam().column), "");
    m_model.setCellText(GetParam().row, GetParam().column, "written");

    EXPECT_EQ(rows(), before);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(m_model.index(GetParam().row, GetParam().column).isValid());
}

INSTANTIATE_TEST_SUITE_P(
    OutsideTheList, MissingCellTest,
    ::testing::Values(MissingCell{"RowMinusOne", -1, 0}, MissingCell{"RowPastTheEnd", 3, 0},
                      MissingCell{"RowIntMax", INT_MAX, 2}, MissingCell{"RowIntMin", INT_MIN, 2},
                      MissingCell{"ColumnMinusOne", 0, -1}, MissingCell{"ColumnEight", 1, 8},
                      MissingCell{"ColumnIntMax", 2, INT_MAX},
                      MissingCell{"RowAndColumnMissing", -1, 8}),
    namedCase::testName);

struct TitleSearch {
    const char* name;
    std::vector<std::string> titles;
    std::string text;
    int expected;
};

class FindRowByTitleTest : public ModelFixture,
                           public ::testing::WithParamInterface<TitleSearch> {};

TEST_P(FindRowByTitleTest, FindsTheFirstWholeTitleFromTheTop) {
    for (const std::string& title : GetParam().titles)
        m_model.insertRow(title);
    EXPECT_EQ(m_model.findRowByTitle(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, FindRowByTitleTest,
    ::testing::Values(
        TitleSearch{"PrefixIsNotAMatch", {"10", "1"}, "1", 1},
        TitleSearch{"TextLongerThanTitle", {"1"}, "12", -1},
        TitleSearch{"UpperOfRepeatedTitles", {"2", "1", "3", "1"}, "1", 1},
        TitleSearch{"NoMatch", {"1", "2"}, "3", -1}, TitleSearch{"EmptyList", {}, "1", -1},
        TitleSearch{"EmptyTextFindsEmptyTitle", {"1", "", ""}, "", 1},
        TitleSearch{"AsciiCaseIgnored", {"x", "AbZ"}, "aBz", 1},
        TitleSearch{"AtSignIsNotBacktick", {"@"}, "`", -1},
        TitleSearch{"BracketIsNotBrace", {"[1]"}, "{1}", -1},
        TitleSearch{"GbkTitleFindsItself", {"1", "\xC1\xAC\xD2\xC2"}, "\xC1\xAC\xD2\xC2", 1},
        TitleSearch{"GbkTrailByteKeepsItsCase", {"\x81\x41", "\x81\x61"}, "\x81\x61", 1},
        TitleSearch{"LetterAfterGbkCharacterFolds", {"\x81\x41Q"}, "\x81\x41q", 0},
        TitleSearch{"FullWidthLettersKeepTheirCase", {"\xA3\xC1"}, "\xA3\xE1", -1}),
    namedCase::testName);

struct Deletion {
    const char* name;
    int row;
    std::vector<std::string> remaining;
};

class DeleteRowTest : public ModelFixture, public ::testing::WithParamInterface<Deletion> {};

TEST_P(DeleteRowTest, RemovesOneRowAndMovesLaterRowsUp) {
    addRows({"a", "b", "c"});
    for (int row = 0; row < 3; ++row)
        m_model.setCellText(row, 5, m_model.rowTitle(row) + "5");

    m_model.deleteRow(GetParam().row);

    EXPECT_EQ(titles(), GetParam().remaining);
    for (int row = 0; row < m_model.rowCount(); ++row)
        EXPECT_EQ(m_model.cellText(row, 5), m_model.rowTitle(row) + "5")
            << "cells move with their row";
}

INSTANTIATE_TEST_SUITE_P(
    ThreeRows, DeleteRowTest,
    ::testing::Values(Deletion{"MinusOneLeavesEveryRow", -1, {"a", "b", "c"}},
                      Deletion{"PastTheEndLeavesEveryRow", 3, {"a", "b", "c"}},
                      Deletion{"IntMinLeavesEveryRow", INT_MIN, {"a", "b", "c"}},
                      Deletion{"FirstRow", 0, {"b", "c"}}, Deletion{"MiddleRow", 1, {"a", "c"}},
                      Deletion{"LastRow", 2, {"a", "b"}}),
    namedCase::testName);

TEST_F(ResultListModelTest, DeleteAllRowsIsOneResetWhateverTheRowCount) {
    for (int row = 0; row < 100; ++row)
        m_model.insertRow(std::to_string(row));
    selectRow(50);
    QSignalSpy reset(&m_model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&m_model, &QAbstractItemModel::rowsRemoved);

    m_model.deleteAllRows();

    EXPECT_EQ(m_model.rowCount(), 0);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(m_model.selectedRow(), -1);
    EXPECT_EQ(m_model.insertRow("1"), 0);
    EXPECT_EQ(m_model.cellText(0, 3), "") << "no cell survives into a new row";
}

TEST_F(ResultListModelTest, DeleteAllRowsOfAnEmptyListLeavesItEmpty) {
    m_model.deleteAllRows();
    EXPECT_EQ(m_model.rowCount(), 0);
    EXPECT_EQ(m_model.insertRow("1"), 0);
}

TEST_F(ResultListModelTest, SelectedRowIsTheSelectionNotTheCurrentRow) {
    addRows({"1", "2", "3"});
    EXPECT_EQ(m_model.selectedRow(), -1);

    m_model.selectionModel()->setCurrentIndex(m_model.index(1, 0), QItemSelectionModel::NoUpdate);
    EXPECT_EQ(m_model.selectedRow(), -1);

    selectRow(2);
    EXPECT_EQ(m_model.selectedRow(), 2);

    m_model.selectionModel()->select(m_model.index(1, 4), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(m_model.selectedRow(), 1) << "a selected cell selects its row";
}

TEST_F(ResultListModelTest, SelectedRowIsTheTopmostWhenSeveralAreSelected) {
    addRows({"1", "2", "3", "4"});
    selectRow(3);
    m_model.selectionModel()->select(m_model.index(1, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(m_model.selectedRow(), 1);
}

struct SelectionAfterDelete {
    const char* name;
    int deleted;
    int expected;
};

class SelectionAfterDeleteTest : public ModelFixture,
                                 public ::testing::WithParamInterface<SelectionAfterDelete> {};

TEST_P(SelectionAfterDeleteTest, FollowsItsRowOrEnds) {
    addRows({"1", "2", "3"});
    selectRow(1);
    m_model.deleteRow(GetParam().deleted);
    EXPECT_EQ(m_model.selectedRow(), GetParam().expected);
    if (GetParam().expected != -1) {
        EXPECT_EQ(m_model.rowTitle(m_model.selectedRow()), "2");
    }
}

INSTANTIATE_TEST_SUITE_P(SelectedMiddleRow, SelectionAfterDeleteTest,
                         ::testing::Values(SelectionAfterDelete{"SelectedRowDeleted", 1, -1},
                                           SelectionAfterDelete{"RowAboveDeleted", 0, 0},
                                           SelectionAfterDelete{"RowBelowDeleted", 2, 1},
                                           SelectionAfterDelete{"MissingRowDeleted", -1, 1}),
                         namedCase::testName);

TEST_F(ResultListModelTest, ReorderRowsMovesRowsWholeInOneLayoutChange) {
    addRows({"a", "b", "c", "d"});
    for (int row = 0; row < 4; ++row)
        for (int column = 1; column < ResultListModel::columns; ++column)
            m_model.setCellText(row, column, m_model.rowTitle(row) + std::to_string(column));
    const auto before = rows();
    const QPersistentModelIndex cellOfB(m_model.index(1, 6));
    selectRow(3);
    QSignalSpy layoutChanged(&m_model, &QAbstractItemModel::layoutChanged);
    QSignalSpy removed(&m_model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&m_model, &QAbstractItemModel::rowsInserted);

    m_model.reorderRows({2, 0, 3, 1});

    EXPECT_THAT(rows(), ElementsAre(before[2], before[0], before[3], before[1]));
    EXPECT_EQ(layoutChanged.count(), 1);
    EXPECT_EQ(removed.count() + inserted.count(), 0);
    EXPECT_EQ(cellOfB.row(), 3);
    EXPECT_EQ(cellOfB.column(), 6);
    EXPECT_EQ(cellOfB.data().toString(), "b6");
    EXPECT_EQ(m_model.selectedRow(), -1);
    EXPECT_THAT(m_model.selectionModel()->selectedIndexes(), IsEmpty());
}

TEST_F(ResultListModelTest, ReorderRowsOfAnEmptyListIsAccepted) {
    m_model.reorderRows({});
    EXPECT_EQ(m_model.rowCount(), 0);
}

struct BadOrder {
    const char* name;
    std::vector<int> order;
};

class BadOrderTest : public ModelFixture, public ::testing::WithParamInterface<BadOrder> {};

TEST_P(BadOrderTest, IsIgnoredAndKeepsRowsAndSelection) {
    addRows({"a", "b", "c"});
    selectRow(1);
    QSignalSpy aboutToChange(&m_model, &QAbstractItemModel::layoutAboutToBeChanged);

    m_model.reorderRows(GetParam().order);

    EXPECT_THAT(titles(), ElementsAre("a", "b", "c"));
    EXPECT_EQ(m_model.selectedRow(), 1);
    EXPECT_EQ(aboutToChange.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(NotAPermutation, BadOrderTest,
                         ::testing::Values(BadOrder{"Empty", {}}, BadOrder{"TooShort", {1, 0}},
                                           BadOrder{"TooLong", {0, 1, 2, 3}},
                                           BadOrder{"Repeated", {0, 1, 1}},
                                           BadOrder{"Negative", {-1, 0, 1}},
                                           BadOrder{"PastTheEnd", {0, 1, 3}},
                                           BadOrder{"IntMax", {INT_MAX, 0, 1}}),
                         namedCase::testName);

TEST_F(ResultListModelTest, DisplayShowsGbkCellsAsUnicode) {
    addRows({"12"});
    m_model.setCellText(0, 2, "\xC1\xAC\xD2\xC2\xC8\xB9");

    EXPECT_EQ(m_model.data(m_model.index(0, 2), Qt::DisplayRole).toString(),
              QString::fromUtf8("连衣裙"));
    EXPECT_EQ(m_model.data(m_model.index(0, 0), Qt::DisplayRole).toString(), "12");
    EXPECT_EQ(m_model.data(m_model.index(0, 3), Qt::DisplayRole).toString(), "");
    EXPECT_FALSE(m_model.data(m_model.index(0, 2), Qt::EditRole).isValid());
    EXPECT_EQ(m_model.cellText(0, 2), "\xC1\xAC\xD2\xC2\xC8\xB9") << "display leaves the bytes";
}

TEST_F(ResultListModelTest, HeaderAndCellsCarryEachColumnsTextAndAlignment) {
    addRows({"1"});
    const std::vector<const char*> headers{"ID",   "备用", "推荐关键字", "本关键字淘宝搜索总数",
                                           "备用", "备用", "备用",       "备用"};
    const std::vector<Qt::Alignment> alignments{
        Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignLeft,    Qt::AlignLeft,
        Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignLeft};

    ASSERT_EQ(m_model.columnCount(), 8);
    for (int column = 0; column < m_model.columnCount(); ++column) {
        SCOPED_TRACE(column);
        const int expected =
            (alignments[static_cast<std::size_t>(column)] | Qt::AlignVCenter).toInt();
        EXPECT_EQ(m_model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                  QString::fromUtf8(headers[static_cast<std::size_t>(column)]));
        EXPECT_EQ(m_model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                  expected);
        EXPECT_EQ(m_model.data(m_model.index(0, column), Qt::TextAlignmentRole).toInt(), expected);
    }
    EXPECT_THAT(ResultListModel::columnWidths, ElementsAre(50, 0, 200, 150, 100, 100, 100, 200));
}

TEST_F(ResultListModelTest, CellsCanBeSelectedButNeverEdited) {
    addRows({"1"});
    for (int column = 0; column < m_model.columnCount(); ++column) {
        const Qt::ItemFlags flags = m_model.flags(m_model.index(0, column));
        EXPECT_TRUE(flags.testFlag(Qt::ItemIsSelectable)) << column;
        EXPECT_TRUE(flags.testFlag(Qt::ItemIsEnabled)) << column;
        EXPECT_FALSE(flags.testFlag(Qt::ItemIsEditable)) << column;
        EXPECT_FALSE(m_model.setData(m_model.index(0, column), "x")) << column;
    }
    EXPECT_EQ(m_model.rowTitle(0), "1");
}

} // namespace
