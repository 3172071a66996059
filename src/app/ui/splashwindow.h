#pragma once
// The splash window frmSplash, shown on top between the login and the main window's load.
#include <QWidget>

class QLabel;

namespace marvono {

class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // lblinfo: the main window's load reports its steps here.
    QLabel* info() const { return m_info; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QLabel* m_info;
};

} // namespace marvono
