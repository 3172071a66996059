#include "support/history_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

namespace marvono::test {

FileDialogAnswerer::FileDialogAnswerer(const QString& path) : m_seen(std::make_shared<SeenFileDialog>())
{
    auto seen = m_seen;
    auto* timer = new QTimer;
    m_timer = timer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, seen, path]() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen->objectName = dialog->objectName();
        seen->acceptMode = dialog->acceptMode();
        seen->nameFilters = dialog->nameFilters();
        if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
            for (int i = 0; i < types->count(); ++i)
                seen->shownFilters.append(types->itemText(i));
        seen->folder = dialog->directory().absolutePath();
        seen->title = dialog->windowTitle();
        seen->nativeDialog = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        seen->seen = true;
        timer->stop();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(path);
        // selectFile leaves the name box alone while it has the focus; type the name as a user would.
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(path);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the name
        // A name the dialog refuses would otherwise leave the test waiting in the dialog.
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}

FileDialogAnswerer::~FileDialogAnswerer()
{
    delete m_timer.data();
}

bool FileDialogAnswerer::wait(int ms) const
{
    auto seen = m_seen;
    return QTest::qWaitFor([seen]() { return seen->seen; }, ms);
}

} // namespace marvono::test
