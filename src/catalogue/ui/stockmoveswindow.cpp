#include "catalogue/ui/stockmoveswindow.h"

#include "app/appcontext.h"
#include "catalogue/stockmoves.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"
#include "reports/linesmodel.h"
#include "reports/ui/reportlist.h"

#include <QDateEdit>
#include <QLabel>
#include <QTreeView>

namespace marvono {

StockMovesWindow::StockMovesWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmStockMoves"));
    setWindowTitle(QStringLiteral("Stock moves"));
    setFixedSize(760, 440);
    m_container = new XPContainer(this, QStringLiteral("Stock moves"));
    m_container->setObjectName(QStringLiteral("XPContainer1"));
    m_container->setGeometry(rect());
    m_container->setTheme(runValues().themeIndex);

    makeLabel(m_container, QStringLiteral("Label1"), QStringLiteral("Day:"), QRect(16, 36, 40, 22));
    m_day = new QDateEdit(Clock::now().date(), m_container);
    m_day->setObjectName(QStringLiteral("dtpDay"));
    m_day->setGeometry(60, 36, 130, 22);
    m_day->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_day->setCalendarPopup(true);

    m_model = new LinesModel<StockMove>(stockMoveTitles(), &stockMoveCell, this);
    makeReportList(m_container, m_model, QRect(16, 66, 728, 306));
    m_cost = makeLabel(m_container, QStringLiteral("lblCost"), QString(), QRect(16, 386, 480, 22));
    QPushButton* ok = makeButton(m_container, QStringLiteral("cmdOK"), QStringLiteral("  O K"));
    ok->setGeometry(634, 382, 110, 30);

    connect(m_day, &QDateEdit::dateChanged, this, &StockMovesWindow::load);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    pressOnEscape(this, ok);
    load();
}

void StockMovesWindow::load()
{
    m_model->clear();
    std::vector<StockMove> moves;
    QString error;
    if (!stockMovesOfDay(m_day->date(), &moves, &error)) {
        m_cost->clear();
        warn(this, QStringLiteral("error"),
             withServerFailure(QStringLiteral("The stock moves cannot be read.\n%1").arg(error)));
        return;
    }
    const auto cost = receivedCost(moves);
    m_cost->setText(QStringLiteral("Goods received at purchase price: ") +
                    (cost ? moneyText(*cost, runValues().currencySymbol) : QStringLiteral("?")));
    m_model->append(std::move(moves));
}

} // namespace marvono
