#include "controls/ui/columnfit.h"

#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

namespace marvono {
namespace {

// The narrowest width at which `text` wraps into at most two lines at its blanks.
int twoLineWidth(const QFontMetrics& metrics, const QString& text)
{
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int best = metrics.horizontalAdvance(text);
    for (qsizetype split = 1; split < words.size(); ++split) {
        const int first = metrics.horizontalAdvance(words.mid(0, split).join(QLatin1Char(' ')));
        const int second = metrics.horizontalAdvance(words.mid(split).join(QLatin1Char(' ')));
        best = qMin(best, qMax(first, second));
    }
    return best;
}

class ColumnFitter : public QObject {
  public:
    explicit ColumnFitter(QTreeView* view) : QObject(view), m_view(view) {}

    void schedule()
    {
        if (m_pending)
            return;
        m_pending = true;
        QMetaObject::invokeMethod(
            this,
            [this]() {
                m_pending = false;
                if (m_view)
                    fitColumns(m_view);
            },
            Qt::QueuedConnection);
    }

  private:
    QPointer<QTreeView> m_view;
    bool m_pending = false;
};

} // namespace

void fitColumns(QTreeView* view)
{
    const QAbstractItemModel* model = view->model();
    QHeaderView* header = view->header();
    if (!model || !header)
        return;
    const QFontMetrics metrics = header->fontMetrics();
    // Rounding of text advances can cost a pixel; one spare keeps the last letter in.
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 1;
    const int columns = model->columnCount();
    QList<int> oneLine(columns), twoLines(columns);
    int oneLineTotal = 0;
    for (int c = 0; c < columns; ++c) {
        const QString text = model->headerData(c, Qt::Horizontal).toString();
        const int cells = static_cast<const QAbstractItemView*>(view)->sizeHintForColumn(c);
        oneLine[c] = qMax(cells, metrics.horizontalAdvance(text) + margins);
        twoLines[c] = qMax(cells, twoLineWidth(metrics, text) + margins);
        if (!header->isSectionHidden(c))
            oneLineTotal += oneLine[c];
    }
    const int room =
        view->contentsRect().width() - view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
    const bool wrap = oneLineTotal > room;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    if (wrap)
        alignment |= Qt::Alignment(Qt::TextWordWrap);
    header->setDefaultAlignment(alignment);
    // An elided header text would be cut to one line before it could wrap.
    // Setting it repaints the header even when it stays.
    const Qt::TextElideMode elide = wrap ? Qt::ElideNone : Qt::ElideRight;
    if (header->textElideMode() != elide)
        header->setTextElideMode(elide);
    const int lines = wrap ? 2 : 1;
    header->setMinimumHeight(lines * metrics.lineSpacing() + margins + 4);
    QList<int> widths = wrap ? twoLines : oneLine;
    // Room left over is shared out evenly, so the columns do not crowd to the left.
    int shown = 0, total = 0;
    for (int c = 0; c < columns; ++c)
        if (!header->isSectionHidden(c)) {
            ++shown;
            total += widths[c];
        }
    const int extra = shown > 0 ? qMax(0, room - total) / shown : 0;
    for (int c = 0; c < columns; ++c)
        header->resizeSection(c, widths[c] + extra);
}

void keepColumnsFitted(QTreeView* view)
{
    auto* fitter = new ColumnFitter(view);
    fitColumns(view);
    auto schedule = [fitter]() { fitter->schedule(); };
    QAbstractItemModel* model = view->model();
    QObject::connect(model, &QAbstractItemModel::modelReset, fitter, schedule);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, fitter, schedule);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, fitter, schedule);
    QObject::connect(model, &QAbstractItemModel::dataChanged, fitter, schedule);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, fitter, schedule);
    QObject::connect(model, &QAbstractItemModel::headerDataChanged, fitter, schedule);
}

} // namespace marvono
