#pragma once
// Receipts: the record a paid bill leaves, numbered per shop, read back by day, and laid out for
// the customer. No widgets: the bill editor, the receipts window and the tools call the same code.
#include "bills/bill.h"
#include "bills/discount.h"
#include "bills/shopidentity.h"
#include "bills/tax.h"
#include "bills/tender.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace marvono {

inline constexpr qint64 kTypedByHand = 0;
inline constexpr qint64 kStockUnknown = -1;
// Where a paid line's units came from, kept for taking them back.
struct LineStock {
    // The product row a sale took the units from; kTypedByHand for a line typed into the bill,
    // kStockUnknown for a line paid before receipts kept it.
    qint64 productKey = kStockUnknown;
    QString inPrice; // the purchase price the units had when sold
};

struct Receipt {
    qint64 number = 0;
    QDateTime time;
    QString buyer;
    QString operatorName;
    QList<BillLine> lines; // as they stood on the bill; empty when only the head was read
    Currency total;
    Currency received; // the cash handed over (a refund: the cash paid back, below 0)
    Currency change;
    // How it was paid, its cash the cash received. Written as a cash tender of the cash received
    // when empty; read so for a receipt paid before tenders were kept; empty when only the head
    // was read.
    QList<Tender> tenders;
    qint64 refundOf = 0;    // the receipt a refund pays back; 0 for a sale
    QList<int> ofLines;     // a refund's lines: the line of that receipt each pays back
    QList<LineStock> stock; // per line; a line without one is written as of unknown stock
    QList<LineTax> tax;     // per line, the rate it was paid at; a line without one carries no tax
    // A void is a refund of everything left of the sale refundOf, recorded with its reason.
    bool isVoid = false;
    qint64 voidedBy = 0;       // a voided sale's void
    QString voidReason;        // on the void and on the sale it voided
    QList<Discount> discounts; // by line: what was taken off the lines' sub-totals before payment
};

// The cash typed into the Received box: empty means the exact total. Read with "." as the
// decimal point whatever the locale. A scanned code, or an amount over 100 times the total and
// over 1,000, is no cash handed over for this bill: a code scanned into the box would be taken
// as a fortune received and paid out as change.
enum class ReceivedCheck { Accepted, NotANumber, BelowTotal, ScannedCode, NotCash };
ReceivedCheck readReceived(const QString& text, Currency total, Currency* received);
// What the operator is told when the amount is refused.
QString receivedRefusal(ReceivedCheck check, Currency total, const QString& currencySymbol);
// "Received: $20" and "Change: $7.5" lines under a confirmation.
QString changeText(Currency received, Currency total, const QString& currencySymbol);

Currency difference(Currency a, Currency b);

// Inside the caller's transaction: the next receipt number of the shop. The counter row stays
// locked until the transaction ends, so tills paying at once get consecutive numbers; a number
// whose transaction rolls back is given again, so none is skipped. 0, with an error, on failure.
qint64 takeReceiptNumber(QString* error);
// Inside the caller's transaction: writes the receipt, its lines and its tenders (taking a number
// when it has none). False, with an error, on failure.
bool writeReceipt(Receipt& receipt, QString* error);

// Whether the shop holds the receipt as it was written (number, time, buyer, operator and
// amounts), asked after a lost connection; nothing when it cannot be read.
std::optional<bool> isReceiptStored(const Receipt& receipt);
// The latest receipt of the buyer that paid a bill line of that time and product; 0 when none.
qint64 receiptThatPaid(const QString& buyer, const BillLine& line);

// The receipts of a day, in number order, without their lines but with their voids; nothing when
// the query fails.
std::optional<QList<Receipt>> receiptsOfDay(const QDate& day);
// One receipt with its lines, void and tenders; nothing when it is not there or the query fails.
std::optional<Receipt> readReceipt(qint64 number);
// The sum of the receipts' totals; nothing when it leaves the currency range.
std::optional<Currency> receiptsTotal(const QList<Receipt>& receipts);

// The paper a customer receipt is printed on, kept in receipt.dat in the application folder.
enum class ReceiptPaper { Roll80, Roll58, A4 };
QString receiptPaperName(ReceiptPaper paper); // "80 mm", "58 mm", "A4"
ReceiptPaper readReceiptPaper();              // 80 mm when the file is missing or unknown
bool saveReceiptPaper(ReceiptPaper paper, QString* error = nullptr);

// The customer receipt as lines of at most `columns` characters: the shop's name and identity
// centred at the top.
QStringList receiptTextLines(const Receipt& receipt, const QString& shopName, const ShopIdentity& identity,
                             const QString& currencySymbol, int columns);

} // namespace marvono
