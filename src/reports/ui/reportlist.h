#pragma once
// The report-style list of the statistics and report windows.
#include <QRect>

class QAbstractItemModel;
class QTreeView;
class QWidget;

namespace marvono {

// A list named LV showing `model`: whole-row selection, no tree decoration, uniform rows.
QTreeView* makeReportList(QWidget* parent, QAbstractItemModel* model, const QRect& geometry);

} // namespace marvono
