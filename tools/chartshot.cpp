// Books a month of sample sales into an application folder's ledger, opens the monthly report on
// that month and saves a picture of its chart window. Run under a real X server
// (tools/chartshot.sh uses Xvfb), on a copy of a sample shop: it writes to the ledger.
//   usage: marvono-chartshot APPFOLDER OUT.png
#include "app/appcontext.h"
#include "app/settings.h"
#include "data/database.h"
#include "data/recordset.h"
#include "reports/ui/monthlyreportwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kYear = 2026;
constexpr int kMonth = 11;

// A steady pattern rather than random numbers, so the picture is the same on every run: busier
// weekends, and a few products that sell every day.
bool bookSales()
{
    QList<QStringList> products;
    for (auto row = marvono::ExecSQL(QStringLiteral("select cName, cOutPrice, cInPrice from product_info"));
         row && !row->isEof(); row->moveNext())
        products.append({row->text(0), row->text(1), row->text(2)});
    marvono::Transaction transaction;
    for (int index = 0; index < products.size(); ++index) {
        const QStringList& product = products.at(index);
        for (int day = 1; day <= 30; ++day) {
            const bool weekend = QDate(kYear, kMonth, day).dayOfWeek() >= 6;
            const int quantity = (day * 7 + index * 3) % (weekend ? 9 : 6) - (index % 4);
            if (quantity <= 0)
                continue;
            QString message;
            marvono::ExecSQL(
                QStringLiteral("insert into PanDian values (?,?,?,?,?,?,?)"), message,
                {product.at(0), product.at(1), product.at(2), QString::number(quantity), day, kMonth, kYear});
            if (!message.contains(QLatin1String("successful")))
                return false;
        }
    }
    transaction.commit();
    return !products.isEmpty();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: marvono-chartshot APPFOLDER OUT.png\n");
        return 2;
    }
    marvono::setAppFolder(args.at(1));
    if (!marvono::loadSetup() || !bookSales()) {
        std::fprintf(stderr, "marvono-chartshot: cannot read the shop or book the sales\n");
        return 1;
    }
    auto* report = new marvono::MonthlyReportWindow;
    report->show();
    report->findChild<QComboBox*>(QStringLiteral("cmbMonth1"))->setEditText(QString::number(kMonth));
    report->findChild<QComboBox*>(QStringLiteral("cmbYear1"))->setEditText(QString::number(kYear));
    report->findChild<QPushButton*>(QStringLiteral("cmdSearch"))->click();
    report->findChild<QPushButton*>(QStringLiteral("cmdChart"))->click();
    QWidget* chart = report->findChild<QWidget*>(QStringLiteral("frmMonthChart"));
    if (!chart) {
        std::fprintf(stderr, "marvono-chartshot: no chart window\n");
        return 1;
    }
    chart->move(40, 40);
    int status = 1;
    QTimer::singleShot(1500, chart, [&]() {
        const QRect area = chart->frameGeometry();
        const QPixmap shot = chart->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        status = shot.save(args.at(2), "PNG") ? 0 : 1;
        app.exit(status);
    });
    app.exec();
    return status;
}
