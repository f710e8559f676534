#include "result_list_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

#include "clipboard_text.h"
#include "result_list_model.h"

ResultListView::ResultListView(ResultListModel& model, QWidget* parent)
    : QTableView(parent), m_model(model) {
    setModel(&model);
    // The model owns the selection so that selectedRow() answers without a view.
    QItemSelectionModel* ownSelection = selectionModel();
    setSelectionModel(model.selectionModel());
    delete ownSelection;

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setSortingEnabled(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setFrameShape(QFrame::Box);
    setLineWidth(1);

    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* header = horizontalHeader();
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    for (int column = 0; column < ResultListModel::columns; ++column)
        header->resizeSection(column, ResultListModel::columnWidths[column]);
}

void ResultListView::mousePressEvent(QMouseEvent* event) {
    // A click on empty list space leaves no row selected, as list views usually do.
    if (!indexAt(event->position().toPoint()).isValid())
        clearSelection();
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::RightButton)
        emit listRightClicked();
}

void ResultListView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit listDoubleClicked();
    QTableView::mouseDoubleClickEvent(event);
}

void ResultListView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copyToClipboard(false);
        return;
    }
    if (event->keyCombination() ==
        QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_C)) {
        copyToClipboard(true);
        return;
    }
    QTableView::keyPressEvent(event);
}

void ResultListView::copyToClipboard(bool allRows) {
    if (allRows) {
        QGuiApplication::clipboard()->setText(listClipboardText(m_model));
        return;
    }
    const int row = m_model.selectedRow();
    if (row >= 0)
        QGuiApplication::clipboard()->setText(rowClipboardText(m_model, row));
}
