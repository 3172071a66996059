#pragma once
// Rows for tests about selling and bills, written through the program's own record sets.
#include <QString>
#include <QStringList>

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

} // namespace marvono::test
