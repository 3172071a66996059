#pragma once
// frmChangeOperator: locks the main window until an operator logs in; the windows open behind it
// (a bill being made among them) stay as they are. Exit is the only other way out.
#include <QDialog>

class QLineEdit;

namespace marvono {

class ChangeOperatorDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ChangeOperatorDialog(QWidget* parent = nullptr);

    // Closing the lock or pressing Esc leaves the till locked.
    void reject() override {}

    // Whether Exit was pressed instead of a login.
    bool exitChosen() const { return m_exit; }

  private:
    void login();

    QLineEdit* m_user = nullptr;     // txtUserName
    QLineEdit* m_password = nullptr; // txtPWD
    bool m_exit = false;
};

} // namespace marvono
