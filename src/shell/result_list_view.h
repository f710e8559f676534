#pragma once

#include <QTableView>

class ResultListModel;

// The report view of the result list: whole-row single selection that stays visible without
// the focus, grid lines, fixed column order, no editing and no ordering of its own.
class ResultListView final : public QTableView {
    Q_OBJECT
public:
    explicit ResultListView(ResultListModel& model, QWidget* parent = nullptr);

signals:
    // A left double-click anywhere in the list, on a row or below the last one. Raised before
    // the list handles it, and after it has handled the first click of the pair.
    void listDoubleClicked();
    // A right-click anywhere in the list.
    void listRightClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void copyToClipboard(bool allRows);

    ResultListModel& m_model;
};
