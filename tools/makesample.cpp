// Fills an application folder's database with a sample catalogue, so a newcomer sees a working
// shop at once: a few dozen products, some low on stock, a few with pictures and introductions.
// It refuses a database that already holds products. A missing buyer list gets a few buyers, so
// the first sale is booked to a named one. The shop gets three tax rates (food at the reduced one,
// fruit at none) and an address with a tax number, unless it keeps its own. With a number of products, the sample is
// repeated under numbered names up to that many, for trying the program on a large shop.
//   usage: marvono-makesample APPFOLDER [PRODUCTS]
#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "artwork.h"
#include "bills/buyerlist.h"
#include "bills/shopidentity.h"
#include "catalogue/taxrates.h"
#include "data/database.h"
#include "data/recordset.h"
#include "settings/operators.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

namespace {

struct Sample {
    const char* name;
    const char* category;
    const char* inPrice;
    const char* allQty;
    const char* outPrice;
    const char* leastQty;
    const char* alert;
    const char* intro;
};

const Sample kSamples[] = {
    {"Green Tea", "Drinks", "1.2", "120", "2.5", "84", "10", "Loose-leaf green tea, 100 g."},
    {"Cola", "Drinks", "0.6", "200", "1.25", "6", "20", "Chilled cola, 330 ml can."},
    {"Orange Juice", "Drinks", "1.1", "60", "2.2", "35", "10", "Freshly squeezed, 1 l."},
    {"Mineral Water", "Drinks", "0.2", "300", "0.6", "260", "50", "Still water, 500 ml."},
    {"Espresso Beans", "Drinks", "6.5", "30", "11.9", "4", "5", "Dark roast, 500 g."},
    {"Potato Chips", "Snacks", "0.7", "150", "1.5", "97", "20", "Salted, 150 g bag."},
    {"Chocolate Bar", "Snacks", "0.5", "180", "1.1", "12", "25", "Milk chocolate, 100 g."},
    {"Salted Peanuts", "Snacks", "0.9", "80", "1.8", "40", "10", "Roasted peanuts, 200 g."},
    {"Oat Biscuits", "Snacks", "1", "90", "2.1", "66", "15", "Crunchy oat biscuits."},
    {"Pretzels", "Snacks", "0.8", "70", "1.6", "9", "10", "Salted pretzel sticks."},
    {"Whole Milk", "Dairy", "0.55", "100", "0.99", "48", "20", "Fresh whole milk, 1 l."},
    {"Butter", "Dairy", "1.3", "50", "2.4", "7", "8", "Unsalted butter, 250 g."},
    {"Cheddar", "Dairy", "2.8", "40", "4.9", "22", "5", "Mature cheddar, 200 g."},
    {"Yoghurt", "Dairy", "0.4", "120", "0.85", "100", "20", "Plain yoghurt, 150 g."},
    {"Cream", "Dairy", "0.9", "30", "1.7", "3", "5", "Single cream, 250 ml."},
    {"White Bread", "Bakery", "0.8", "40", "1.6", "18", "10", "Sliced white loaf."},
    {"Croissant", "Bakery", "0.35", "60", "0.9", "41", "10", "All-butter croissant."},
    {"Rye Bread", "Bakery", "1.1", "25", "2.3", "2", "5", "Dark rye loaf."},
    {"Bagels", "Bakery", "1.2", "30", "2.5", "15", "6", "Pack of four bagels."},
    {"Apples", "Fruit", "0.25", "200", "0.5", "143", "30", "Crisp red apples, per piece."},
    {"Bananas", "Fruit", "0.15", "240", "0.35", "25", "40", "Ripe bananas, per piece."},
    {"Lemons", "Fruit", "0.2", "80", "0.45", "61", "10", "Unwaxed lemons."},
    {"Grapes", "Fruit", "1.6", "30", "2.9", "11", "8", "Seedless grapes, 500 g."},
    {"Strawberries", "Fruit", "1.8", "24", "3.2", "4", "6", "Punnet, 400 g."},
    {"Dish Soap", "Household", "0.9", "40", "1.9", "27", "5", "Lemon scented, 500 ml."},
    {"Paper Towels", "Household", "1.4", "50", "2.8", "33", "10", "Two rolls."},
    {"Light Bulb", "Household", "1.1", "30", "2.6", "5", "6", "LED, 806 lm."},
    {"Batteries AA", "Household", "2", "60", "3.99", "44", "10", "Alkaline, pack of four."},
    {"Matches", "Household", "0.1", "100", "0.3", "90", "10", "Safety matches."},
    {"Rice", "Pantry", "0.9", "80", "1.8", "52", "10", "Long grain rice, 1 kg."},
    {"Pasta", "Pantry", "0.6", "90", "1.3", "8", "15", "Spaghetti, 500 g."},
    {"Olive Oil", "Pantry", "3.5", "30", "6.5", "19", "5", "Extra virgin, 500 ml."},
    {"Sugar", "Pantry", "0.7", "60", "1.4", "37", "10", "White sugar, 1 kg."},
    {"Flour", "Pantry", "0.5", "60", "1.1", "57", "10", "Plain flour, 1 kg."},
    {"Honey", "Pantry", "2.4", "20", "4.5", "1", "3", "Wildflower honey, 340 g."},
    {"Tomato Sauce", "Pantry", "0.8", "45", "1.7", "30", "8", "Passata, 500 g."},
};

// The rate of each category: A Standard, B Reduced, C Zero; the rest at the default, A.
const struct {
    const char* category;
    int rate;
} kCategoryRates[] = {{"Dairy", 1}, {"Bakery", 1}, {"Pantry", 1}, {"Snacks", 1}, {"Fruit", 2}};

qint64 rateOf(const QList<marvono::TaxRate>& rates, const char* category)
{
    for (const auto& entry : kCategoryRates)
        if (qstrcmp(entry.category, category) == 0 && entry.rate < rates.size())
            return rates.at(entry.rate).id;
    return 0;
}

const QColor kTints[] = {QColor(0x3C, 0x8D, 0x5A), QColor(0xB0, 0x30, 0x30), QColor(0xE0, 0x8A, 0x1E),
                         QColor(0x3A, 0x7B, 0xC8), QColor(0x6B, 0x44, 0x2A), QColor(0xC8, 0xA0, 0x20),
                         QColor(0x7A, 0x3C, 0x9C), QColor(0x2E, 0x86, 0x8C)};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool counted = args.size() == 2;
    const int wanted = args.size() == 3 ? args.at(2).toInt(&counted) : int(std::size(kSamples));
    if (!counted || wanted < int(std::size(kSamples))) {
        std::fprintf(stderr, "usage: marvono-makesample APPFOLDER [PRODUCTS, at least %d]\n", int(std::size(kSamples)));
        return 2;
    }
    marvono::setAppFolder(args.at(1));
    QDir(args.at(1)).mkpath(QStringLiteral("qexclient/pic"));
    QDir(args.at(1)).mkpath(QStringLiteral("qexclient/info"));
    auto products = marvono::ExecSQL(QStringLiteral("select * from product_info"));
    if (!products) {
        std::fprintf(stderr, "marvono-makesample: cannot open the database in %s\n", qPrintable(args.at(1)));
        return 1;
    }
    if (products->count() > 0) {
        std::fprintf(stderr, "marvono-makesample: the database holds products already; left alone\n");
        return 0;
    }
    QString error;
    std::optional<QList<marvono::TaxRate>> rates = marvono::readTaxRates(&error);
    if (rates && rates->isEmpty() &&
        marvono::saveTaxRates({{0, QString(), QStringLiteral("Standard"), QStringLiteral("20"), true},
                               {0, QString(), QStringLiteral("Reduced"), QStringLiteral("7"), false},
                               {0, QString(), QStringLiteral("Zero"), QStringLiteral("0"), false}},
                              &error))
        rates = marvono::readTaxRates(&error);
    if (!rates) {
        std::fprintf(stderr, "marvono-makesample: %s\n", qPrintable(error));
        return 1;
    }
    marvono::Transaction transaction;
    int picture = 0;
    for (int i = 0; i < wanted; ++i) {
        const Sample& sample = kSamples[size_t(i) % std::size(kSamples)];
        const int round = i / int(std::size(kSamples));
        const QString name = round == 0 ? QString::fromUtf8(sample.name)
                                        : QStringLiteral("%1 %2").arg(QString::fromUtf8(sample.name)).arg(round + 1);
        // Every fourth product of the sample gets a picture of its own; the rest, and the
        // repeats, share number 0.
        const int number = round == 0 && i % 4 == 0 ? ++picture : 0;
        if (number > 0) {
            marvono::tools::productPicture(name, kTints[number % 8])
                .save(marvono::appPath(QStringLiteral("qexclient/pic/%1.jpg").arg(number)), "BMP");
        }
        const QString intro = QString::fromUtf8(sample.intro);
        if (round == 0)
            marvono::writeQuotedItems(marvono::appPath(QStringLiteral("qexclient/info/%1.ifo").arg(number)), {intro});
        products->addNew();
        products->setField(0, name);
        products->setField(1, QString::fromUtf8(sample.inPrice));
        products->setField(2, QString::fromUtf8(sample.allQty));
        products->setField(3, QString::fromUtf8(sample.outPrice));
        products->setField(4, QString::fromUtf8(sample.leastQty));
        products->setField(6, QString::fromUtf8(sample.category));
        products->setField(7, number);
        products->setField(8, intro);
        products->setField(9, QString::fromUtf8(sample.alert));
        if (!products->update()) {
            std::fprintf(stderr, "marvono-makesample: %s\n", qPrintable(products->errorText()));
            return 1;
        }
        if (!marvono::setProductTaxRate(products->rowKey(), rateOf(*rates, sample.category), &error)) {
            std::fprintf(stderr, "marvono-makesample: %s\n", qPrintable(error));
            return 1;
        }
    }
    if (!transaction.commit()) {
        std::fprintf(stderr, "marvono-makesample: %s\n", qPrintable(transaction.errorText()));
        return 1;
    }
    if (marvono::readShopIdentity().isEmpty() &&
        !marvono::saveShopIdentity({{QStringLiteral("12 Market Street"), QStringLiteral("Springfield SP1 2AB")},
                                    QStringLiteral("GB 123 4567 89")},
                                   &error)) {
        std::fprintf(stderr, "marvono-makesample: %s\n", qPrintable(error));
        return 1;
    }
    // Two members of staff beside the owner; a shop that has operators keeps its own.
    if (const auto operators = marvono::readOperators(&error);
        !operators ||
        (operators->isEmpty() &&
         (!marvono::addOperator(QStringLiteral("Maria"), QStringLiteral("maria"), marvono::Role::Cashier, &error) ||
          !marvono::addOperator(QStringLiteral("Tom"), QStringLiteral("tom"), marvono::Role::Owner, &error)))) {
        std::fprintf(stderr, "marvono-makesample: %s\n", qPrintable(error));
        return 1;
    }
    // Every sale goes to the first buyer of the list; an operator's own list is never replaced.
    if (!QFileInfo::exists(marvono::buyerListPath())) {
        if (!marvono::writeBuyerList({QStringLiteral("Counter"), QStringLiteral("Table1"), QStringLiteral("Table2")},
                                     &error)) {
            std::fprintf(stderr, "marvono-makesample: %s\n", qPrintable(error));
            return 1;
        }
    }
    std::printf("sample catalogue: %d products\n", wanted);
    return 0;
}
