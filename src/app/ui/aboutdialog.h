#pragma once
// The about box: product name, version and where to read more.
#include <QDialog>
#include <QUrl>

namespace marvono {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // The home page set at build time, or else the user guide (README.md) in the application
    // folder or the installed documentation; empty when there is none of them.
    static QUrl address();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace marvono
