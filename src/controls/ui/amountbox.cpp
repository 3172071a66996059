#include "controls/ui/amountbox.h"

#include "app/typedinput.h"
#include "controls/ui/dialogs.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>

namespace marvono {
namespace {

void refuse(QLineEdit* box, const QString& text)
{
    warn(box->window(), QStringLiteral("Warning"), text);
    box->setFocus();
    box->selectAll();
}

void refuseScan(QLineEdit* box, const QString& boxName, const QString& code)
{
    refuse(box, QStringLiteral("The %1 box got the scanned code %2: a code is not an amount or a quantity, so "
                               "nothing was taken. Scan into the search box of the main window.")
                    .arg(boxName, code));
}

class ScanGuard : public QObject {
  public:
    ScanGuard(QLineEdit* box, const QString& boxName) : QObject(box), m_box(box), m_name(boxName)
    {
        box->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_box || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // The window system stamps each key when it is typed, so that keys which waited in the
        // queue while the program was busy keep their real spacing.
        const qint64 ms = key->timestamp() != 0 ? qint64(key->timestamp()) : clock().elapsed();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (!m_burst.enterEndsScan(ms))
                return false;
            const QString typed = m_box->text();
            m_box->setText(m_before);
            refuseScan(m_box, m_name, typed.startsWith(m_before) ? typed.mid(m_before.size()) : typed);
            return true;
        }
        if (key->text().isEmpty() || !key->text().front().isPrint())
            m_burst.interrupted();
        else if (m_burst.typed(key->text().front(), ms))
            m_before = m_box->text();
        return false;
    }

  private:
    static QElapsedTimer& clock()
    {
        static QElapsedTimer started = [] {
            QElapsedTimer timer;
            timer.start();
            return timer;
        }();
        return started;
    }

    QLineEdit* m_box;
    QString m_name;
    KeyBurst m_burst;
    QString m_before; // the box's text before the latest run of digits began
};

} // namespace

void guardAgainstScans(QLineEdit* box, const QString& boxName)
{
    new ScanGuard(box, boxName);
}

bool refuseScannedCode(QLineEdit* box, const QString& boxName)
{
    if (!isScannedCodeText(box->text().trimmed()))
        return false;
    refuseScan(box, boxName, box->text().trimmed());
    return true;
}

std::optional<QString> checkedNumber(QLineEdit* box, const QString& boxName)
{
    if (refuseScannedCode(box, boxName))
        return std::nullopt;
    std::optional<QString> number = typedNumberText(box->text());
    if (!number)
        refuse(box, QStringLiteral("The %1 box holds \"%2\", which is not a number: nothing was stored. Type the "
                                   "number with digits and a decimal point, for example 0.60.")
                        .arg(boxName, box->text()));
    return number;
}

} // namespace marvono
