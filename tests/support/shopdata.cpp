#include "support/shopdata.h"

#include "bills/buyerlist.h"
#include "data/recordset.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace marvono::test {

bool addProduct(const QString& name, const QString& inPrice, const QString& outPrice, const QString& remaining)
{
    auto set = ExecSQL("select * from product_info");
    if (!set)
        return false;
    set->addNew();
    set->setField(0, name);
    set->setField(1, inPrice);
    set->setField(2, remaining);
    set->setField(3, outPrice);
    set->setField(4, remaining);
    set->setField(6, "General");
    set->setField(7, 0);
    set->setField(9, 0);
    return set->update();
}

QString remainingOf(const QString& name)
{
    auto set = ExecSQL("select * from product_info where cName=?", {name});
    if (!set || set->isEof())
        return "<none>";
    return set->text(4);
}

bool addBillRow(const QString& time, const QString& buyer, const QString& product, const QString& quantity,
                const QString& price, const QString& subTotal)
{
    auto set = ExecSQL("select * from Bill");
    if (!set)
        return false;
    set->addNew();
    const QStringList values{time, buyer, product, quantity, price, subTotal};
    for (int c = 0; c < values.size(); ++c)
        set->setField(c, values[c]);
    return set->update();
}

bool writeBuyers(const QStringList& buyers)
{
    return writeBuyerList(buyers);
}

QStringList databaseSnapshot()
{
    QStringList all;
    for (const char* table : {"product_info", "Bill", "PanDian", "user_info", "change"}) {
        all.append(QString::fromLatin1(table) + ":");
        all.append(rowsOf(QString::fromLatin1("select * from %1 order by rowid").arg(QString::fromLatin1(table))));
    }
    return all;
}

BoxRecorder::BoxRecorder(const QStringList& cash) : m_cash(cash)
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, [this]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* amount =
                modal ? modal->findChild<QLineEdit*>(modal->objectName() == "frmFloat" ? "txtFloat" : "txtCounted")
                      : nullptr;
            amount && modal->isVisible()) {
            const QString typed = m_cash.isEmpty() ? "cancel" : m_cash.takeFirst();
            seen.append(modal->objectName() + "=" + typed);
            amount->setText(typed);
            // Queued: a refusal's box opens from the click, and this timer is not run again until
            // the click returns.
            QMetaObject::invokeMethod(modal->findChild<QPushButton*>(typed == "cancel" ? "cmdCancel" : "cmdOK"),
                                      &QPushButton::click, Qt::QueuedConnection);
            return;
        }
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || !box->isVisible())
            return;
        seen.append(box->windowTitle() + "/" + box->text());
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    });
    m_timer.start();
}

} // namespace marvono::test
