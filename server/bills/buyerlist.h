#pragma once
// The buyer list file qexclient/tables.dat: one quoted buyer name per line.
#include <QString>
#include <QStringList>

namespace marvono {

QString buyerListPath();
// The buyers in file order; an absent file is an empty list.
QStringList readBuyerList();
// The first buyer, or the empty name when there is none.
QString firstBuyer();
// Why a name cannot go into the list: buyer names hold no blanks, and a double quote cannot be
// written in the file's quoted form (it would end the name early and change it on reading).
enum class BuyerNameProblem { None, Blank, DoubleQuote };
BuyerNameProblem checkBuyerName(const QString& name);

// Replaces the file atomically (an empty list gives an empty file).
bool writeBuyerList(const QStringList& buyers, QString* error = nullptr);

} // namespace marvono
