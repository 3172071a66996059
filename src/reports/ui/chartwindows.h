#pragma once
// The chart windows: a report month as daily takings and profit beside its best sellers, and
// the catalogue's sales and profit by category. Each saves its charts as a PNG picture.
#include <QDialog>
#include <vector>

class QChart;
class QLabel;

namespace marvono {

struct ReportLine;
class XPContainer;

// The frame, the "no figures" message and the Save and Close buttons both windows share.
class ChartWindow : public QDialog {
    Q_OBJECT
  protected:
    ChartWindow(QWidget* parent, const QString& objectName, const QString& title, QSize size);
    // A chart view named `objectName` at `place` inside the frame; the view owns the chart.
    QChart* addChart(const QString& objectName, const QRect& place);
    // The message over the charts when there is nothing to draw.
    void showMessage(const QString& text);
    XPContainer* frame() const { return m_frame; }

  private:
    void savePicture();

    XPContainer* m_frame = nullptr;
    QWidget* m_charts = nullptr; // what the saved picture shows
    QLabel* m_message = nullptr;
};

// Opened from the monthly report with the lines it shows.
class MonthChartWindow : public ChartWindow {
    Q_OBJECT
  public:
    MonthChartWindow(const std::vector<ReportLine>& lines, const QString& symbol, QWidget* parent = nullptr);
};

// Opened from the statistics; reads the catalogue.
class CategoryChartWindow : public ChartWindow {
    Q_OBJECT
  public:
    CategoryChartWindow(const QString& symbol, QWidget* parent = nullptr);
};

} // namespace marvono
