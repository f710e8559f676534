#include "result_list_view.h"

#include <QHeaderView>
#include <QPalette>

#include "result_list_model.h"

ResultListView::ResultListView(ResultListModel& model, QWidget* parent) : QTableView(parent) {
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
