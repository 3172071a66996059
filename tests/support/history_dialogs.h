#pragma once
// Answers the program's file dialogs in tests.
#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>

namespace marvono::test {

// What a file dialog showed.
struct SeenFileDialog {
    QString objectName;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QStringList nameFilters;
    QStringList shownFilters; // as the operator reads them in the file-type box
    QString folder;
    QString title;
    bool nativeDialog = true;
    bool seen = false;
};

// Answers the next QFileDialog that becomes the active modal widget: with a path it types that
// path and accepts, with an empty path it cancels. Call before the action that opens the dialog.
class FileDialogAnswerer {
  public:
    explicit FileDialogAnswerer(const QString& path);
    ~FileDialogAnswerer();
    const SeenFileDialog& dialog() const { return *m_seen; }
    bool wait(int ms = 5000) const; // true once a dialog was answered

  private:
    std::shared_ptr<SeenFileDialog> m_seen;
    QPointer<QTimer> m_timer;
};

} // namespace marvono::test
