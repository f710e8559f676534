#include "result_list_model.h"

#include <algorithm>
#include <cstddef>

#include "gbk_qstring.h"

namespace {

std::string_view upToZero(std::string_view text) {
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Walks character by character: the trail byte of a GBK character may lie in 0x40..0x7E, and
// folding it would make two different characters equal.
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (static_cast<unsigned char>(a[i]) >= 0x80) {
            if (a[i] != b[i])
                return false;
            if (++i < a.size() && a[i] != b[i])
                return false;
        } else if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr std::array<const char*, ResultListModel::columns> headerTexts{
    "ID", "备用", "推荐关键字", "本关键字淘宝搜索总数", "备用", "备用", "备用", "备用"};

constexpr std::array<Qt::AlignmentFlag, ResultListModel::columns> horizontalAlignments{
    Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignLeft,    Qt::AlignLeft,
    Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignLeft};

// An int rather than Qt::Alignment: Qt 6.4's delegates and header read the role with toInt().
QVariant alignment(int column) {
    return (horizontalAlignments[static_cast<std::size_t>(column)] | Qt::AlignVCenter).toInt();
}

} // namespace

ResultListModel::ResultListModel(QObject* parent, int maxRows)
    : QAbstractTableModel(parent), m_maxRows(std::max(maxRows, 0)), m_selection(this) {}

int ResultListModel::insertRow(std::string_view title) {
    const int row = rowCount();
    if (row >= m_maxRows)
        return -1;
    Row cells;
    cells[0] = upToZero(title);
    beginInsertRows({}, row, row);
    m_rows.push_back(std::move(cells));
    endInsertRows();
    return row;
}

void ResultListModel::setCellText(int row, int column, std::string_view text) {
    if (!validCell(row, column))
        return;
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = upToZero(text);
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

std::string ResultListModel::cellText(int row, int column) const {
    if (!validCell(row, column))
        return {};
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

std::string ResultListModel::rowTitle(int row) const {
    return cellText(row, 0);
}

int ResultListModel::rowCount() const {
    return static_cast<int>(m_rows.size());
}

int ResultListModel::columnCount() const {
    return columns;
}

int ResultListModel::findRowByTitle(std::string_view text) const {
    const std::string_view wanted = upToZero(text);
    const auto found = std::find_if(m_rows.begin(), m_rows.end(), [wanted](const Row& row) {
        return equalIgnoringAsciiCase(row[0], wanted);
    });
    return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
}

void ResultListModel::deleteRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void ResultListModel::deleteAllRows() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int ResultListModel::selectedRow() const {
    const QItemSelection selection = m_selection.selection();
    int top = -1;
    for (const QItemSelectionRange& range : selection) {
        if (range.isValid() && (top == -1 || range.top() < top))
            top = range.top();
    }
    return top;
}

void ResultListModel::reorderRows(const std::vector<int>& order) {
    if (order.size() != m_rows.size())
        return;
    std::vector<int> newIndexOf(order.size(), -1);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int old = order[i];
        if (old < 0 || old >= rowCount() || newIndexOf[static_cast<std::size_t>(old)] != -1)
            return;
        newIndexOf[static_cast<std::size_t>(old)] = static_cast<int>(i);
    }

    // Cleared before the move, so that its selectionChanged names rows that still hold what was
    // selected.
    m_selection.clear();
    if (m_rows.empty())
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<Row> reordered;
    reordered.reserve(m_rows.size());
    for (const int old : order)
        reordered.push_back(std::move(m_rows[static_cast<std::size_t>(old)]));
    m_rows = std::move(reordered);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(
            this->index(newIndexOf[static_cast<std::size_t>(index.row())], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QItemSelectionModel* ResultListModel::selectionModel() {
    return &m_selection;
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount();
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !validCell(index.row(), index.column()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return fromGbk(m_rows[static_cast<std::size_t>(index.row())]
                             [static_cast<std::size_t>(index.column())]);
    case Qt::TextAlignmentRole:
        return alignment(index.column());
    default:
        return {};
    }
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromUtf8(headerTexts[static_cast<std::size_t>(section)]);
    case Qt::TextAlignmentRole:
        return alignment(section);
    default:
        return {};
    }
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

bool ResultListModel::validCell(int row, int column) const {
    return row >= 0 && row < rowCount() && column >= 0 && column < columns;
}
