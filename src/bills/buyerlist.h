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

// The buyer this till books sales to and whose bill the editor shows, chosen for the run. Until
// the operator chooses, and once the chosen entry has left the list, it is the till's own buyer
// (see takeTillBuyer) while that is listed, else the first buyer; with no buyers it is the empty
// name, which has no position (-1).
struct ChosenBuyer {
    QString name;
    int position = -1;
};
ChosenBuyer chosenBuyer(const QStringList& buyers);
// Among the buyers of the list file as it stands.
ChosenBuyer chosenBuyer();
// Chooses the entry at `position` of `buyers`; a position outside the list keeps the choice.
void chooseBuyer(const QStringList& buyers, int position);
// Back to the first buyer, as at the start of a run.
void forgetBuyerChoice();
// On a shop server every till starts with a buyer of its own, so that tills never book onto one
// another's bills: shopserver.conf's `till` name, else this computer's name made a valid buyer
// name, added to the shared list when missing. A single till keeps the first buyer. False, with
// the reason, when the list cannot be read or written; the till then starts as a single till.
bool takeTillBuyer(QString* error = nullptr);
// Why a name cannot go into the list: buyer names hold no blanks, and a double quote cannot be
// written in the file's quoted form (it would end the name early and change it on reading).
enum class BuyerNameProblem { None, Blank, DoubleQuote };
BuyerNameProblem checkBuyerName(const QString& name);

// Replaces the file atomically (an empty list gives an empty file).
bool writeBuyerList(const QStringList& buyers, QString* error = nullptr);

} // namespace marvono
