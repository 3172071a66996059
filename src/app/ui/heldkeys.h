#pragma once
// Keys typed into a window while it is disabled for a moment, as the main window is while its
// product list is filled again after a change. Qt drops such keys, takes the focus out of the
// window and leaves it inactive once it is enabled again, so a scan typed then lost digits or its
// Enter, and the next ones went nowhere. The keys are held instead, and once the window is enabled
// it is made active again and the widget that had the focus gets it back, and the keys in order.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

class QKeyEvent;

namespace marvono {

class HeldKeys : public QObject {
  public:
    explicit HeldKeys(QWidget* window);
    ~HeldKeys() override;

    // Before the window is disabled: remembers its focus widget and holds the keys typed into it.
    void hold();
    // After the window is enabled again: the program's activation and the focus come back, and
    // the held keys follow them.
    void release();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* m_window;
    QPointer<QWidget> m_focus;
    bool m_holding = false;
    bool m_wasActive = false; // a window of the program had the keyboard
    std::vector<std::unique_ptr<QKeyEvent>> m_keys;
};

} // namespace marvono
