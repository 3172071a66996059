#pragma once
// The shop's identity on its papers: the address and tax number printed under the shop's name on
// receipts, refunds and day closes. Set in Setup, kept in identity.dat in the application folder
// (setup.dat keeps its four items). No widgets.
#include <QString>
#include <QStringList>

namespace marvono {

struct ShopIdentity {
    QStringList address; // its lines, none of them empty
    QString taxNumber;
    bool isEmpty() const { return address.isEmpty() && taxNumber.isEmpty(); }
    friend bool operator==(const ShopIdentity&, const ShopIdentity&) = default;
};

// The identity as typed: each address line without surrounding blanks, empty lines left out.
ShopIdentity shopIdentityOf(const QString& addressText, const QString& taxNumber);

// Kept as quoted items: the tax number, then one item per address line. Empty when the file is
// missing or unreadable.
ShopIdentity readShopIdentity();
// Replaced whole or not at all. False, with the reason, when the file cannot be written or a text
// holds a double quote, which the file's items cannot.
bool saveShopIdentity(const ShopIdentity& identity, QString* error = nullptr);

// The lines under the shop's name, each cut to `columns`: the address, then "Tax No. ..."; none
// for an empty identity.
QStringList identityLines(const ShopIdentity& identity, int columns);

} // namespace marvono
