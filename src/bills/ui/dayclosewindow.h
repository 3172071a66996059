#pragma once
// frmDayClose: the day's closing record as it will print, with Print and Save PDF.
#include "bills/dayclose.h"

#include <QDialog>

namespace marvono {

class DayCloseWindow : public QDialog {
    Q_OBJECT
  public:
    DayCloseWindow(const DayClose& close, QWidget* parent = nullptr);

  private:
    QStringList lines(int columns) const;
    void print();
    void savePdf();

    DayClose m_close;
};

// Management → Close day: asks, closes the day and shows the close; a day closed already shows
// its close again.
void closeDayFor(QWidget* parent);

} // namespace marvono
