#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractTableModel>
#include <QItemSelectionModel>

// The report list: rows of eight GBK cells, column 0 being the row's title. Row and column
// indexes are 0-based; operations on a row or column that does not exist do nothing and read
// as empty. Cells are converted to QString only for display.
class ResultListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int columns = 8;
    using Row = std::array<std::string, columns>;

    explicit ResultListModel(QObject* parent = nullptr);

    // Appends a row with the title and empty cells; returns its index, -1 when refused.
    int insertRow(std::string_view title);
    void setCellText(int row, int column, std::string_view text);
    std::string cellText(int row, int column) const;
    std::string rowTitle(int row) const;
    int rowCount() const;
    int columnCount() const;
    // The first row whose whole title equals text, ASCII case ignored; -1 when none.
    int findRowByTitle(std::string_view text) const;
    void deleteRow(int row);
    // One model reset, not row by row: views handle a reset of any size at once.
    void deleteAllRows();
    // The selected row (not merely the current one), -1 when none.
    int selectedRow() const;

    // Puts the rows in the given order: order[i] is the old index of the row that goes to i.
    // Must be a permutation of all rows. Clears the selection.
    void reorderRows(const std::vector<int>& order);

    QItemSelectionModel* selectionModel();

    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool validCell(int row, int column) const;

    std::vector<Row> m_rows;
    QItemSelectionModel m_selection;
};
