#pragma once
// Helpers every window uses: single-instance modeless dialogs, message boxes and file dialogs.
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <functional>
#include <utility>

namespace marvono {

// Shows the one dialog of type T: created (and deleted on close) the first time, brought to the
// front when it is already open.
template <typename T, typename... Args> T* showSingleDialog(Args&&... args)
{
    static QPointer<T> instance;
    if (!instance) {
        instance = new T(std::forward<Args>(args)...);
        instance->setAttribute(Qt::WA_DeleteOnClose);
    }
    instance->show();
    instance->raise();
    instance->activateWindow();
    return instance;
}

// A message box with the given icon, title, text and buttons; OK is the default button.
QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// Exclamation icon, one OK button.
void warn(QWidget* parent, const QString& title, const QString& text);
// Exclamation icon, OK and Cancel; true when OK was pressed.
bool confirm(QWidget* parent, const QString& title, const QString& text);

// "Desc(*.X)|*.X|Desc2(*.y;*.z)|*.y;*.z" as Qt's "Desc(*.X) (*.x *.X);;Desc2(*.y;*.z) (*.y *.Y *.z *.Z)":
// files match whatever the letter case of their extension.
QString qtFileFilter(const QString& pairs);

enum class FileDialogMode { Open, Save };
// Runs Qt's own (non-native) file dialog, named `objectName`, with the file name `suggestedName`
// (empty unless given), in the folder last chosen from during this run (at first the home
// folder); the filters are shown by their descriptions only. A save adds the chosen filter's
// extension to a name typed without one. Returns the chosen path, or an empty text when cancelled.
QString chooseFile(QWidget* parent, FileDialogMode mode, const QString& objectName, const QString& title,
                   const QString& filterPairs, const QString& suggestedName = {});

// A label and a one-line text box named and placed as designed.
QLabel* makeLabel(QWidget* parent, const QString& objectName, const QString& text, const QRect& geometry);
QLineEdit* makeLineEdit(QWidget* parent, const QString& objectName, const QRect& geometry);

// Esc anywhere in `window` runs `action` (for as long as `receiver` lives); an open popup of the
// window (a drop-down list, a completer, a menu) takes the key first and only closes itself.
void onEscape(QWidget* window, QObject* receiver, const std::function<void()>& action);
// Esc presses `button`, the window's Cancel, Back or Leave button, so the window closes exactly
// as that button closes it.
void pressOnEscape(QWidget* window, QPushButton* button);
// Enter in `box`, the window's only text box, presses `button`, its main button.
void pressOnEnter(QLineEdit* box, QPushButton* button);

// The push button every window uses: caption exactly as designed, clicked and enabled.
QPushButton* makeButton(QWidget* parent, const QString& objectName, const QString& caption);

} // namespace marvono
