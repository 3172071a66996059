#include "controls/ui/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QShortcut>

namespace marvono {

QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, parent);
    if (buttons & QMessageBox::Ok)
        box.setDefaultButton(QMessageBox::Ok);
    return QMessageBox::StandardButton(box.exec());
}

void warn(QWidget* parent, const QString& title, const QString& text)
{
    showMessage(parent, QMessageBox::Warning, title, text);
}

bool confirm(QWidget* parent, const QString& title, const QString& text)
{
    return showMessage(parent, QMessageBox::Warning, title, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

namespace {

// One "Desc|*.a;*.b" pair: the description as given and its patterns in both letter cases.
struct FileFilter {
    QString description;
    QStringList patterns;
};

QList<FileFilter> parseFilterPairs(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QList<FileFilter> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter filter{parts[i], {}};
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString& spelling : {pattern.toLower(), pattern.toUpper(), pattern})
                if (!filter.patterns.contains(spelling))
                    filter.patterns.append(spelling);
        }
        filters.append(filter);
    }
    return filters;
}

// "*.xls" gives "xls"; a pattern without a plain extension ("*", "*.*") gives nothing.
QString patternSuffix(const QString& pairs, qsizetype filterIndex)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    if (filterIndex * 2 + 1 >= parts.size())
        return {};
    const QString first = parts[filterIndex * 2 + 1].section(QLatin1Char(';'), 0, 0).trimmed();
    if (!first.startsWith(QStringLiteral("*.")))
        return {};
    const QString suffix = first.mid(2);
    return suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')) ? QString() : suffix;
}

// Dialogs open where the operator last chose a file during this run, at first in the home folder.
QString& lastFileFolder()
{
    static QString folder = QDir::homePath();
    return folder;
}

} // namespace

QString qtFileFilter(const QString& pairs)
{
    QStringList filters;
    for (const FileFilter& filter : parseFilterPairs(pairs))
        filters.append(filter.description + QStringLiteral(" (") + filter.patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    return filters.join(QStringLiteral(";;"));
}

QString chooseFile(QWidget* parent, FileDialogMode mode, const QString& objectName, const QString& title,
                   const QString& filterPairs, const QString& suggestedName)
{
    QFileDialog dialog(parent, title);
    dialog.setObjectName(objectName);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The descriptions already name their patterns; Qt would repeat them after each one.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Every save in the program replaces an existing file without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode == FileDialogMode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(mode == FileDialogMode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QString filters = qtFileFilter(filterPairs);
    dialog.setNameFilter(filters);
    if (mode == FileDialogMode::Save) {
        dialog.setDefaultSuffix(patternSuffix(filterPairs, 0));
        const QStringList shown = filters.split(QStringLiteral(";;"));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, shown, filterPairs](const QString& f) {
                             dialog.setDefaultSuffix(patternSuffix(filterPairs, shown.indexOf(f)));
                         });
    }
    const QString folder = lastFileFolder();
    dialog.setDirectory(QFileInfo(folder).isDir() ? folder : QDir::homePath());
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    lastFileFolder() = QFileInfo(path).absolutePath();
    return path;
}

QLabel* makeLabel(QWidget* parent, const QString& objectName, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setGeometry(geometry);
    return label;
}

QLineEdit* makeLineEdit(QWidget* parent, const QString& objectName, const QRect& geometry)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    box->setGeometry(geometry);
    return box;
}

namespace {

// Whether a popup (a drop-down list, a completer, a menu) was open when the latest Esc came. A
// drop-down list closes itself while the key is still offered to the shortcuts, so a window's
// Esc shortcut that runs next can no longer see it open.
class EscapeWatch : public QObject {
  public:
    using QObject::QObject;
    bool popupWasOpen = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The key is offered first to the popup's focus widget, then up to the popup itself.
        const auto type = event->type();
        if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            if (type == QEvent::KeyPress)
                popupWasOpen = false; // delivered, so no shortcut took it
            else if (QApplication::activePopupWidget())
                popupWasOpen = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

EscapeWatch& escapeWatch()
{
    static QPointer<EscapeWatch> watch;
    if (!watch) {
        watch = new EscapeWatch(qApp);
        qApp->installEventFilter(watch);
    }
    return *watch;
}

} // namespace

void onEscape(QWidget* window, QObject* receiver, const std::function<void()>& action)
{
    escapeWatch();
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, receiver, [action]() {
        EscapeWatch& watch = escapeWatch();
        const bool popupWasOpen = std::exchange(watch.popupWasOpen, false);
        // The key was meant for the popup: one still open (a completer) is handed the key, so
        // that it closes alone.
        if (QWidget* popup = QApplication::activePopupWidget()) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(popup->focusWidget() ? popup->focusWidget() : popup, &key);
            return;
        }
        if (!popupWasOpen)
            action();
    });
}

void pressOnEscape(QWidget* window, QPushButton* button)
{
    // A shortcut, not QDialog's own Esc: that one hides the dialog without running the button's
    // handler (and without the close event some windows act on).
    onEscape(window, button, [button]() { button->click(); });
}

void pressOnEnter(QLineEdit* box, QPushButton* button)
{
    QObject::connect(box, &QLineEdit::returnPressed, button, &QPushButton::click);
}

QPushButton* makeButton(QWidget* parent, const QString& objectName, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

} // namespace marvono
