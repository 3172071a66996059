#pragma once
// The buyer window frmTable: edits the buyer list in a list box and saves it when it closes, by
// Leave, Esc or the window's close box alike.
#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace marvono {

class BuyerListDialog : public QDialog {
    Q_OBJECT
  public:
    explicit BuyerListDialog(QWidget* parent = nullptr);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void load();
    bool nameAccepted();
    void addNew();
    void update();
    void remove();
    void leave();

    QListWidget* m_list = nullptr; // lstTable
    QLineEdit* m_name = nullptr;   // txtTable
};

} // namespace marvono
