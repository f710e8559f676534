#pragma once

#include <array>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractTableModel>
#include <QItemSelectionModel>

// The report list: rows of eight GBK cells, column 0 being the row's title. Row and column
// indexes are 0-based; operations on a row or column that does not exist do nothing and read
// as empty. Like every text of the system, a cell ends at its first zero byte. Cells are
// converted to QString only for display.
class ResultListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int columns = 8;
    using Row = std::array<std::string, columns>;
    // Pixels; the view applies them. Column 1 has width 0 and so does not show.
    static constexpr std::array<int, columns> columnWidths{50, 0, 200, 150, 100, 100, 100, 200};

    // maxRows bounds insertRow; the default is every row an int index can address.
    explicit ResultListModel(QObject* parent = nullptr,
                             int maxRows = std::numeric_limits<int>::max());

    // Appends a row with the title and empty cells; returns its index, -1 when the list already
    // holds maxRows rows.
    int insertRow(std::string_view title);
    void setCellText(int row, int column, std::string_view text);
    std::string cellText(int row, int column) const;
    std::string rowTitle(int row) const;
    int rowCount() const;
    int columnCount() const;
    // The first row from the top whose whole title equals text, ASCII letter case ignored (not
    // in the trail byte of a GBK character); -1 when none.
    int findRowByTitle(std::string_view text) const;
    void deleteRow(int row);
    // One model reset, not row by row: views handle a reset of any size at once.
    void deleteAllRows();
    // The topmost row with a selected cell, -1 when none. The current index does not count.
    int selectedRow() const;

    // Puts the rows in the given order: order[i] is the old index of the row that goes to i.
    // Anything but a permutation of all rows is ignored. Clears the selection.
    void reorderRows(const std::vector<int>& order);

    // Owned by the model so that selectedRow() answers without a view; a view must use it.
    QItemSelectionModel* selectionModel();

    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool validCell(int row, int column) const;

    std::vector<Row> m_rows;
    int m_maxRows;
    QItemSelectionModel m_selection;
};
