#pragma once
// Rows for tests about selling and bills, written through the program's own record sets.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace marvono::test {

// Appends a product_info row: name, purchase price, retail price and remaining quantity as texts.
bool addProduct(const QString& name, const QString& inPrice, const QString& outPrice, const QString& remaining);
// The remaining quantity of a product as stored, "<none>" without such a product.
QString remainingOf(const QString& name);
// Appends a Bill row with the six texts.
bool addBillRow(const QString& time, const QString& buyer, const QString& product, const QString& quantity,
                const QString& price, const QString& subTotal);
// Writes qexclient/tables.dat with the given buyers.
bool writeBuyers(const QStringList& buyers);
// Every row of every table, for checking that nothing changed.
QStringList databaseSnapshot();

// Answers every message box with OK while it lives, recording "title/text" of each in order; and
// the cash dialogs (frmFloat, frmCashCount) with `cash` in turn, recording "form=typed": "cancel"
// presses Cancel, as does a dialog beyond them.
class BoxRecorder : public QObject {
  public:
    explicit BoxRecorder(const QStringList& cash = {});
    QStringList seen;

  private:
    QTimer m_timer;
    QStringList m_cash;
};

} // namespace marvono::test
