#pragma once
// The login window frmLogin: checks the operator against the account in user_info, remembers the
// login on request and hands over to the main window through the splash window.
#include "app/ui/splashwindow.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace marvono {

class XPContainer;

class LoginWindow : public QWidget {
    Q_OBJECT
  public:
    explicit LoginWindow(QWidget* parent = nullptr);
    ~LoginWindow() override;

    // The load steps: the theme from style.dat, then the saved login. A failure shows
    // "(LOGIN)Init error" and skips the steps after it.
    void load();

    // The splash window of the hand-over, while it is open.
    SplashWindow* splash() const { return m_splash; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void login();
    void handOver();
    void setControlsEnabled(bool enabled);

    XPContainer* m_frame;
    QLabel* m_image;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QCheckBox* m_savePassword;
    QLabel* m_savePasswordLabel;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QTimer* m_timer;
    QPointer<SplashWindow> m_splash;
};

} // namespace marvono
