#include "reports/ui/chartwindows.h"

#include "app/appcontext.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/xpcontainer.h"
#include "reports/monthlyreport.h"
#include "reports/salescharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetrics>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QPixmap>
#include <algorithm>

namespace marvono {
namespace {

constexpr int kMargin = 8;
constexpr int kTop = 32; // below the frame's caption bar

// Small enough that a month of day numbers and ten product names are written out in full.
void useSmallLabels(QAbstractAxis* axis)
{
    QFont font = axis->labelsFont();
    font.setPointSize(8);
    axis->setLabelsFont(font);
}

// A value axis whose marks read as the program writes amounts ("$12.5"), not as printf would.
QCategoryAxis* amountAxis(double low, double high, const QString& symbol)
{
    const std::vector<double> marks = scaleMarks(low, high);
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    useSmallLabels(axis);
    axis->setStartValue(marks.front());
    axis->setRange(marks.front(), marks.back());
    for (double mark : marks)
        axis->append(amountText(symbol, mark), mark);
    return axis;
}

// An amount axis along the bottom writes its last mark centred on the plot's right edge: the
// chart keeps room for the half that stands out.
void keepRoomForLastMark(QChart* chart, QCategoryAxis* axis)
{
    const QStringList labels = axis->categoriesLabels();
    if (labels.isEmpty())
        return;
    const int half = QFontMetrics(axis->labelsFont()).horizontalAdvance(labels.constLast()) / 2 + 2;
    QMargins margins = chart->margins();
    margins.setRight(std::max(margins.right(), half));
    chart->setMargins(margins);
}

// A bar category axis drops an empty label, which would shift every bar after it.
QString axisLabel(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("(none)") : text;
}

QBarSet* barSet(const QString& name, const char* objectName)
{
    auto* set = new QBarSet(name);
    set->setObjectName(QString::fromLatin1(objectName));
    return set;
}

} // namespace

ChartWindow::ChartWindow(QWidget* parent, const QString& objectName, const QString& title, QSize size) : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(title);
    setFixedSize(size);

    m_frame = new XPContainer(this, title);
    m_frame->setObjectName(QStringLiteral("XPContainer1"));
    m_frame->setGeometry(rect());
    m_frame->setTheme(runValues().themeIndex);

    m_charts = new QWidget(m_frame);
    m_charts->setObjectName(QStringLiteral("picCharts"));
    m_charts->setGeometry(kMargin, kTop, width() - 2 * kMargin, height() - kTop - 48);
    m_charts->setAutoFillBackground(true);
    m_charts->setBackgroundRole(QPalette::Base);

    m_message = new QLabel(m_charts);
    m_message->setObjectName(QStringLiteral("lblMessage"));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setGeometry(0, m_charts->height() / 3, m_charts->width(), 30);
    m_message->hide();

    const int buttonTop = height() - 40;
    QPushButton* save = makeButton(m_frame, QStringLiteral("cmdSave"), QStringLiteral("Save"));
    save->setGeometry(width() - 2 * (100 + kMargin), buttonTop, 100, 30);
    QPushButton* close = makeButton(m_frame, QStringLiteral("cmdExit"), QStringLiteral("Close"));
    close->setGeometry(width() - 100 - kMargin, buttonTop, 100, 30);
    connect(save, &QPushButton::clicked, this, &ChartWindow::savePicture);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    pressOnEscape(this, close);
}

QChart* ChartWindow::addChart(const QString& objectName, const QRect& place)
{
    auto* view = new QChartView(m_charts);
    view->setObjectName(objectName);
    view->setGeometry(place);
    view->setRenderHint(QPainter::Antialiasing);
    QChart* chart = view->chart();
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    m_message->raise();
    return chart;
}

void ChartWindow::showMessage(const QString& text)
{
    m_message->setText(text);
    m_message->raise();
    m_message->show();
}

void ChartWindow::savePicture()
{
    const QString path = chooseFile(this, FileDialogMode::Save, QStringLiteral("CD"), QStringLiteral("Save As"),
                                    QStringLiteral("PNG Picture(*.PNG)|*.png"));
    if (path.isEmpty())
        return;
    if (!m_charts->grab().save(path, "PNG"))
        warn(this, QStringLiteral("Error"), QStringLiteral("The picture could not be saved."));
}

MonthChartWindow::MonthChartWindow(const std::vector<ReportLine>& lines, const QString& symbol, QWidget* parent)
    : ChartWindow(parent, QStringLiteral("frmMonthChart"), QStringLiteral("Sales Chart"), QSize(900, 700))
{
    const MonthFigures figures = monthFigures(lines);
    const int width = 900 - 2 * kMargin;
    QChart* daily = addChart(QStringLiteral("chtDaily"), QRect(0, 0, width, 320));
    QChart* top = addChart(QStringLiteral("chtTop"), QRect(0, 320, width, 700 - kTop - 48 - 320));
    const QString period = figures.period.isEmpty() ? QString() : QStringLiteral(", ") + figures.period;
    daily->setTitle(QStringLiteral("Daily takings and profit") + period);
    top->setTitle(QStringLiteral("Top ten products by takings") + period);
    if (figures.days.empty()) {
        showMessage(QStringLiteral("No sales in this month."));
        return;
    }

    auto* takings = barSet(QStringLiteral("Takings"), "takings");
    auto* profit = new QLineSeries;
    profit->setName(QStringLiteral("Profit"));
    profit->setObjectName(QStringLiteral("profit"));
    QStringList days;
    double low = 0;
    double high = 0;
    for (size_t i = 0; i < figures.days.size(); ++i) {
        const DayFigures& day = figures.days[i];
        takings->append(day.takings);
        profit->append(double(i), day.profit);
        days.append(day.label);
        low = std::min({low, day.takings, day.profit});
        high = std::max({high, day.takings, day.profit});
    }
    auto* bars = new QBarSeries;
    bars->append(takings);
    daily->addSeries(bars);
    daily->addSeries(profit);
    auto* dayAxis = new QBarCategoryAxis;
    dayAxis->append(days);
    useSmallLabels(dayAxis);
    if (days.size() > 12 && !figures.period.isEmpty()) // day numbers stood upright never crowd
        dayAxis->setLabelsAngle(-90);
    else if (days.size() > 12)
        dayAxis->setLabelsAngle(-60);
    daily->addAxis(dayAxis, Qt::AlignBottom);
    QCategoryAxis* amounts = amountAxis(low, high, symbol);
    daily->addAxis(amounts, Qt::AlignLeft);
    for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(bars), static_cast<QAbstractSeries*>(profit)}) {
        series->attachAxis(dayAxis);
        series->attachAxis(amounts);
    }

    // Drawn bottom up, so the best seller is added last to stand at the top.
    auto* best = barSet(QStringLiteral("Takings"), "topTakings");
    QStringList names;
    low = high = 0;
    for (auto it = figures.top.rbegin(); it != figures.top.rend(); ++it) {
        best->append(it->takings);
        names.append(axisLabel(it->product));
        low = std::min(low, it->takings);
        high = std::max(high, it->takings);
    }
    auto* ranking = new QHorizontalBarSeries;
    ranking->append(best);
    top->addSeries(ranking);
    auto* productAxis = new QBarCategoryAxis;
    productAxis->append(names);
    useSmallLabels(productAxis);
    top->addAxis(productAxis, Qt::AlignLeft);
    ranking->attachAxis(productAxis);
    QCategoryAxis* topAmounts = amountAxis(low, high, symbol);
    top->addAxis(topAmounts, Qt::AlignBottom);
    ranking->attachAxis(topAmounts);
    keepRoomForLastMark(top, topAmounts);
    top->legend()->hide();
}

CategoryChartWindow::CategoryChartWindow(const QString& symbol, QWidget* parent)
    : ChartWindow(parent, QStringLiteral("frmCategoryChart"), QStringLiteral("Category Chart"), QSize(760, 520))
{
    const CategoryFiguresResult figures = catalogueCategoryFigures();
    QChart* chart = addChart(QStringLiteral("chtCategory"), QRect(0, 0, 760 - 2 * kMargin, 520 - kTop - 48));
    chart->setTitle(QStringLiteral("Sales and profit by category"));
    if (figures.categories.empty()) {
        showMessage(QStringLiteral("No products to count."));
        return;
    }
    if (figures.failed)
        showMessage(QStringLiteral("Some products could not be counted."));

    auto* sales = barSet(QStringLiteral("Sales"), "sales");
    auto* profit = barSet(QStringLiteral("Profit"), "profit");
    QStringList categories;
    double low = 0;
    double high = 0;
    for (const CategoryFigures& category : figures.categories) {
        sales->append(category.sales.toDouble());
        profit->append(category.profit.toDouble());
        categories.append(axisLabel(category.category));
        low = std::min({low, category.sales.toDouble(), category.profit.toDouble()});
        high = std::max({high, category.sales.toDouble(), category.profit.toDouble()});
    }
    auto* bars = new QBarSeries;
    bars->append(sales);
    bars->append(profit);
    chart->addSeries(bars);
    auto* categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    useSmallLabels(categoryAxis);
    chart->addAxis(categoryAxis, Qt::AlignBottom);
    bars->attachAxis(categoryAxis);
    QCategoryAxis* amounts = amountAxis(low, high, symbol);
    chart->addAxis(amounts, Qt::AlignLeft);
    bars->attachAxis(amounts);
}

} // namespace marvono
