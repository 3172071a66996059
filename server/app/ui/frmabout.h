#pragma once
// The about box: product name, version and where to reach the vendor.
#include <QDialog>

namespace marvono {

class FrmAbout : public QDialog {
    Q_OBJECT
  public:
    static inline const QString kWebAddress = QStringLiteral("http://www.example.com");

    explicit FrmAbout(QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace marvono
