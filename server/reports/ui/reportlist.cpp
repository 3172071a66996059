#include "reports/ui/reportlist.h"

#include "controls/ui/columnfit.h"

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
    list->setUniformRowHeights(true); // keeps lists of many thousand lines quick
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setStretchLastSection(true);
    list->header()->setDefaultSectionSize(geometry.width() / qMax(1, model->columnCount()));
    keepColumnsFitted(list);
    return list;
}

} // namespace marvono
