#include "clipboard_text.h"

#include <QStringList>

#include "gbk_qstring.h"
#include "result_list_model.h"

namespace {

bool columnShown(int column) {
    return ResultListModel::columnWidths[column] > 0;
}

QString clipboardCell(QString text) {
    if (!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('"')))
        return text;
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString headerLine(const ResultListModel& model) {
    QStringList cells;
    for (int column = 0; column < ResultListModel::columns; ++column)
        if (columnShown(column))
            cells << clipboardCell(
                model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    return cells.join(QLatin1Char('\t'));
}

} // namespace

QString rowClipboardText(const ResultListModel& model, int row) {
    QStringList cells;
    for (int column = 0; column < ResultListModel::columns; ++column)
        if (columnShown(column))
            cells << clipboardCell(fromGbk(model.cellText(row, column)));
    return cells.join(QLatin1Char('\t'));
}

QString listClipboardText(const ResultListModel& model) {
    QStringList lines{headerLine(model)};
    for (int row = 0; row < model.rowCount(); ++row)
        lines << rowClipboardText(model, row);
    return lines.join(QLatin1Char('\n'));
}
