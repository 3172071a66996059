// A till for the multi-till proofs: books sales through the program's own sale code against the
// application folder it is given, and reports what it sold.
//   marvono-test-till FOLDER SALES SEED PRODUCT...
// Quantities are 1 to 3, products picked at random from the seed. After the first sale it
// writes "ready" and then a "." after every sale (for a test that kills it mid-run); at the end
// one line per product:
// "sold NAME QUANTITY LINES", and "refused N" for sales the stock check turned away. Sales go to
// the till's own buyer on a shop server.
//   marvono-test-till FOLDER pay:BILLS BUYER
// pays that many one-line bills of the buyer and writes "receipt NUMBER" for each.
//   marvono-test-till FOLDER shown BUYER
// reads the buyer's bill as the bill editor shows it, writes "ready", and pays what it read once
// a line arrives on its input: "receipt NUMBER", or "elsewhere" and the reason.
//   marvono-test-till FOLDER close
// closes and writes "closed NUMBER", or "already NUMBER" when nothing came since that close.
//   marvono-test-till FOLDER void RECEIPT
// checks that the receipt can be voided, as the Receipts window does, writes "ready", and voids it
// once a line arrives on its input: "voided NUMBER", or "refused" and the reason.
//   marvono-test-till FOLDER edit:ROUNDS BUYER
// sells one Tea to the buyer and raises the line to 3, then lowers it to 2 or deletes it, each round.
//   marvono-test-till FOLDER as:NAME:PASSWORD ...
// logs in as that account first (exit 3 when refused), and then does what the rest asks.
//   marvono-test-till FOLDER shifts:COUNT OPERATOR
// opens that many shifts of the operator, each with a float of 1.
#include "app/appcontext.h"
#include "bills/bill.h"
#include "bills/buyerlist.h"
#include "bills/dayclose.h"
#include "bills/receipt.h"
#include "bills/shift.h"
#include "bills/voids.h"
#include "sales/sale.h"
#include "settings/login.h"

#include <QCoreApplication>
#include <QMap>
#include <cstdio>
#include <random>

using namespace marvono;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() > 3 && args.at(2).startsWith(QLatin1String("as:"))) {
        setAppFolder(args.at(1));
        const QString name = args.at(2).section(QLatin1Char(':'), 1, 1);
        bool owner = false;
        if (checkLogin(name, args.at(2).section(QLatin1Char(':'), 2), &owner) != LoginCheck::Valid) {
            std::fprintf(stderr, "login refused\n");
            return 3;
        }
        runValues().currentUser = name;
        runValues().ownerRights = owner;
        args.removeAt(2);
    }
    const QString operatorName = runValues().currentUser.isEmpty() ? QStringLiteral("till") : runValues().currentUser;
    if (args.size() == 4 && args.at(2).startsWith(QLatin1String("pay:"))) {
        setAppFolder(args.at(1));
        for (int i = args.at(2).mid(4).toInt(); i > 0; --i) {
            std::optional<Receipt> receipt;
            if (!addBillLine(args.at(3), BillLine{QStringLiteral("t"), QStringLiteral("Tea"), QStringLiteral("1"),
                                                  QStringLiteral("1"), QStringLiteral("1")}) ||
                settleBill(args.at(3), 0, nullptr, Payment{{}, operatorName, &receipt}) != Settlement::Settled ||
                !receipt)
                return 1;
            std::printf("receipt %lld\n", receipt->number);
        }
        return 0;
    }
    if (args.size() == 4 && args.at(2) == QLatin1String("shown")) {
        setAppFolder(args.at(1));
        ShownBill shown;
        const auto lines = readBill(args.at(3), &shown.keys);
        char go[8];
        if (!lines || std::printf("ready\n") < 0 || std::fflush(stdout) != 0 || !std::fgets(go, sizeof go, stdin))
            return 1;
        shown.lines = *lines;
        std::optional<Receipt> receipt;
        QString error;
        const Settlement paid = settleBill(args.at(3), 0, &shown, Payment{{}, operatorName, &receipt, &error});
        if (paid == Settlement::Settled && receipt)
            std::printf("receipt %lld\n", receipt->number);
        else if (paid == Settlement::PaidElsewhere)
            std::printf("elsewhere %s\n", qPrintable(error));
        else
            std::fprintf(stderr, "not paid: %s\n", qPrintable(error));
        return paid == Settlement::Settled || paid == Settlement::PaidElsewhere ? 0 : 1;
    }
    if (args.size() == 3 && args.at(2) == QLatin1String("close")) {
        setAppFolder(args.at(1));
        const CloseResult result = closeDay();
        if (result.outcome == CloseOutcome::Failed)
            std::fprintf(stderr, "close failed: %s\n", qPrintable(result.error));
        else
            std::printf("%s %lld\n", result.outcome == CloseOutcome::Closed ? "closed" : "already",
                        result.close.number);
        return result.outcome == CloseOutcome::Failed ? 1 : 0;
    }
    if (args.size() == 4 && args.at(2) == QLatin1String("void")) {
        setAppFolder(args.at(1));
        char go[8];
        if (voidRefusal(args.at(3).toLongLong()).outcome != VoidOutcome::Voided || std::printf("ready\n") < 0 ||
            std::fflush(stdout) != 0 || !std::fgets(go, sizeof go, stdin))
            return 1;
        const VoidResult result = voidReceipt(args.at(3).toLongLong(), QStringLiteral("race"), QStringLiteral("till"));
        if (result.outcome == VoidOutcome::Voided)
            std::printf("voided %lld\n", result.voidReceipt->number);
        else
            std::printf("refused %s\n", qPrintable(result.error));
        return result.outcome == VoidOutcome::Voided || result.outcome == VoidOutcome::AlreadyVoided ? 0 : 1;
    }
    if (args.size() == 4 && args.at(2).startsWith(QLatin1String("shifts:"))) {
        setAppFolder(args.at(1));
        for (int i = args.at(2).mid(7).toInt(); i > 0; --i) {
            if (QString error; !openShift(args.at(3), Currency::fromRaw(10000), &error)) {
                std::fprintf(stderr, "shift not opened: %s\n", qPrintable(error));
                return 1;
            }
        }
        return 0;
    }
    if (args.size() == 4 && args.at(2).startsWith(QLatin1String("edit:"))) {
        setAppFolder(args.at(1));
        for (int i = args.at(2).mid(5).toInt(); i > 0; --i) {
            const SaleResult sale = bookSale(SaleRequest{QStringLiteral("Tea"), QStringLiteral("1"), args.at(3)});
            const QString time = timeOfDayText(sale.bookedAt.time());
            const auto line = [&time](const char* units) {
                return BillLine{time, QStringLiteral("Tea"), QString::fromLatin1(units), QStringLiteral("2.5"),
                                QStringLiteral("0")};
            };
            if (sale.outcome != SaleOutcome::Sold || updateBillLine(args.at(3), time, line("3")) != LineChange::Done ||
                (i % 2 ? deleteBillLine(args.at(3), time) : updateBillLine(args.at(3), time, line("2"))) !=
                    LineChange::Done)
                return 1;
        }
        return 0;
    }
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: marvono-test-till FOLDER SALES SEED PRODUCT...\n");
        return 2;
    }
    setAppFolder(args.at(1));
    // As the main window starts: on a shop server the till books to a buyer of its own.
    if (QString error; !takeTillBuyer(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const int sales = args.at(2).toInt();
    std::mt19937 random(args.at(3).toUInt());
    const QStringList products = args.mid(4);
    std::uniform_int_distribution<int> pickProduct(0, int(products.size()) - 1);
    std::uniform_int_distribution<int> pickQuantity(1, 3);

    QMap<QString, QPair<int, int>> sold; // quantity and bill lines per product
    int refused = 0;
    int failed = 0;
    for (int i = 0; i < sales; ++i) {
        const QString& product = products.at(pickProduct(random));
        const int quantity = pickQuantity(random);
        const SaleResult result = bookSale(product, QString::number(quantity));
        if (result.outcome == SaleOutcome::Sold) {
            sold[product].first += quantity;
            sold[product].second += 1;
        } else if (result.outcome == SaleOutcome::NotEnoughStock) {
            ++refused;
        } else {
            ++failed;
            std::fprintf(stderr, "sale failed: %s\n", qPrintable(result.error));
        }
        std::fputs(i == 0 ? "ready\n" : ".", stdout);
        std::fflush(stdout);
    }
    std::printf("\n");
    for (auto it = sold.cbegin(); it != sold.cend(); ++it)
        std::printf("sold %s %d %d\n", qPrintable(it.key()), it.value().first, it.value().second);
    std::printf("refused %d\nfailed %d\n", refused, failed);
    return failed == 0 ? 0 : 1;
}
