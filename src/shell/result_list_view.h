#pragma once

#include <QTableView>

class ResultListModel;

// The report view of the result list: whole-row single selection that stays visible without
// the focus, grid lines, fixed column order, no editing and no ordering of its own.
class ResultListView final : public QTableView {
    Q_OBJECT
public:
    explicit ResultListView(ResultListModel& model, QWidget* parent = nullptr);
};
