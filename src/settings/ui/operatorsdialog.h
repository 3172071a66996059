#pragma once
// frmOperators: the shop's operators (name, role, active), kept by the owner. The boxes below
// the list give the name, password and role that Add, Rename, Set password and Set role use.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace marvono {

class OperatorsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit OperatorsDialog(QWidget* parent = nullptr);

  private:
    void load(const QString& select = QString());
    void showSelected();
    QString selectedName() const;
    // Runs a change; on success the list is read again with `select` chosen, else says why.
    void apply(bool done, const QString& error, const QString& select);

    void addOperator();
    void renameOperator();
    void setPassword();
    void setRole();
    void toggleActive();

    QTreeWidget* m_list = nullptr;   // lvOperators
    QLineEdit* m_name = nullptr;     // txtName
    QLineEdit* m_password = nullptr; // txtPassword
    QComboBox* m_role = nullptr;     // cmbRole
    QPushButton* m_active = nullptr; // cmdActive: "Deactivate" or "Activate" the selected operator
};

} // namespace marvono
