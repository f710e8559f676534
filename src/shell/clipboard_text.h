#pragma once

#include <QString>

class ResultListModel;

// Rows as a spreadsheet takes them when pasted: the cells of the columns that the list shows,
// tab-separated, one line per row. A cell holding a tab, a line break or a double quote is
// quoted, with its double quotes doubled, so that it stays one cell.
QString rowClipboardText(const ResultListModel& model, int row);
// The header line, then every row in display order.
QString listClipboardText(const ResultListModel& model);
