#include "reports/ui/reportlist.h"

#include "controls/ui/columnfit.h"
#include "controls/ui/textsizedelegate.h"

#include <QHeaderView>
#include <QTreeView>

namespace marvono {

QTreeView* makeReportList(QWidget* parent, QAbstractItemModel* model, const QRect& geometry)
{
    auto* list = new QTreeView(parent);
    list->setObjectName(QStringLiteral("LV"));
    list->setModel(model);
    list->setGeometry(geometry);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    // Both keep lists of many thousand lines quick to lay out and to fit the columns to: a
    // report's dates, quantities and amounts recur from line to line.
    list->setUniformRowHeights(true);
    list->setItemDelegate(new TextSizeDelegate(list));
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setStretchLastSection(true);
    list->header()->setDefaultSectionSize(geometry.width() / qMax(1, model->columnCount()));
    keepColumnsFitted(list);
    return list;
}

} // namespace marvono
