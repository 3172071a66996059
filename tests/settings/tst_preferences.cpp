// The preferences dialog: what it shows when it opens and what its OK stores.
#include "app/appcontext.h"
#include "app/ui/mainwindow.h"
#include "bills/shopidentity.h"
#include "catalogue/taxrates.h"
#include "controls/ui/xpcontainer.h"
#include "data/recordset.h"
#include "settings/approvals.h"
#include "settings/login.h"
#include "settings/operators.h"
#include "settings/ui/preferencesdialog.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

using namespace marvono;

namespace {

const QByteArray kFixtureSetup = "\"1\"\r\n\"Test Shop\"\r\n\"1\"\r\n\"$\"\r\n";

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The run values a login as vetch, and a main window load, leave behind.
void logIn()
{
    runValues().currentUser = "vetch";
    runValues().currentPassword = "vetch";
    runValues().currencySymbol = "$";
    runValues().shopName = "Test Shop";
    runValues().warningTone = true;
}

PreferencesDialog* openPreferences(MainWindow& window)
{
    window.runCommand(Command::OpenPreferences);
    return window.findChild<PreferencesDialog*>("frmSetup");
}

QLineEdit* box(QWidget* dialog, const char* name)
{
    return dialog->findChild<QLineEdit*>(name);
}

XPContainer* group(QWidget* dialog, const QString& caption)
{
    for (XPContainer* container : dialog->findChildren<XPContainer*>())
        if (container->caption() == caption)
            return container;
    return nullptr;
}

void pressOk(QWidget* dialog)
{
    dialog->findChild<QPushButton*>("cmdOK")->click();
}

} // namespace

class TestPreferences : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void loadShowsSettings();
    void loadWithoutOrWithToneOffInSetupFile();
    void passwordMismatchSavesOnlyTone();
    void unchangedSaveRewritesSetup();
    void editedSaveStoresAndRefreshes();
    void savesWithoutUserRow_data();
    void savesWithoutUserRow();
    void cancelSavesNothing();
    void taxRatesAndIdentityWindows();
    void operatorsWindowIsTheOwners();
};

void TestPreferences::loadShowsSettings()
{
    test::TempAppFolder folder;
    logIn();
    runValues().currentUser = "boss";
    runValues().currentPassword = "s3cret";
    runValues().currencySymbol = "EUR";
    runValues().shopName = "";
    runValues().themeIndex = 5;
    MainWindow window;
    PreferencesDialog* dialog = openPreferences(window);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(openPreferences(window), dialog);

    QCOMPARE(group(dialog, "Setup")->theme(), 0);
    QCOMPARE(group(dialog, "Shop or Company Name")->theme(), 0);
    QCOMPARE(group(dialog, "Currency Symbol")->theme(), 5);
    QCOMPARE(group(dialog, "Warning Tone")->theme(), 5);
    QCOMPARE(group(dialog, "Security")->theme(), 5);

    // The symbol is the run's, the shop name and tone come from setup.dat.
    QCOMPARE(box(dialog, "txtSymbol")->text(), QStringLiteral("EUR"));
    QCOMPARE(box(dialog, "txtGG")->text(), QStringLiteral("Test Shop"));
    QCOMPARE(runValues().shopName, QStringLiteral("Test Shop"));
    QVERIFY(dialog->findChild<QCheckBox*>("chkSound")->isChecked());
    QCOMPARE(box(dialog, "txtUsername")->text(), QStringLiteral("boss"));
    for (const char* name : {"txtPWD", "txtPWD2"}) {
        QCOMPARE(box(dialog, name)->text(), QStringLiteral("s3cret"));
        QLineEdit* secret = box(dialog, name);
        QCOMPARE(secret->echoMode(), QLineEdit::Password);
        QCOMPARE(secret->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, secret), int('*'));
    }

    QStringList blue;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->palette().color(label->foregroundRole()) == QColor(0, 0, 255))
            blue.append(label->text());
    blue.sort();
    QCOMPARE(blue, (QStringList{"Change password", "Warning tone"}));
    QCOMPARE(dialog->findChild<QPushButton*>("cmdOK")->text(), QStringLiteral("  O K"));
    QCOMPARE(dialog->findChild<QPushButton*>("cmdCancel")->text(), QStringLiteral(" Cancel"));
    runValues().themeIndex = 0;
}

void TestPreferences::loadWithoutOrWithToneOffInSetupFile()
{
    test::TempAppFolder folder;
    logIn();
    {
        QVERIFY(writeBytes(folder.file("setup.dat"), "\"0\"\r\n\"Corner, Ltd\"\r\n\"1\"\r\n\"$\"\r\n"));
        MainWindow window;
        PreferencesDialog* dialog = openPreferences(window);
        QVERIFY(!dialog->findChild<QCheckBox*>("chkSound")->isChecked());
        QCOMPARE(box(dialog, "txtGG")->text(), QStringLiteral("Corner, Ltd"));
    }
    QVERIFY(QFile::remove(folder.file("setup.dat")));
    MainWindow window;
    PreferencesDialog* dialog = openPreferences(window);
    QVERIFY(!dialog->findChild<QCheckBox*>("chkSound")->isChecked());
    QCOMPARE(box(dialog, "txtGG")->text(), QString());
    QCOMPARE(runValues().shopName, QStringLiteral("Corner, Ltd"));
}

void TestPreferences::passwordMismatchSavesOnlyTone()
{
    test::TempAppFolder folder;
    logIn();
    MainWindow window;
    window.show();
    PreferencesDialog* dialog = openPreferences(window);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    box(dialog, "txtGG")->setFocus();
    dialog->findChild<QCheckBox*>("chkSound")->setChecked(false);
    box(dialog, "txtGG")->setText("Other Shop");
    box(dialog, "txtSymbol")->setText("EUR");
    box(dialog, "txtUsername")->setText("boss");
    box(dialog, "txtPWD")->setText("newpass");

    test::BoxAnswerer answer;
    pressOk(dialog);
    QVERIFY(answer.wait());
    QCOMPARE(answer.box().title, QStringLiteral("Warning"));
    QCOMPARE(answer.box().text, QStringLiteral("Password confirm failed"));
    QCOMPARE(answer.box().icon, QMessageBox::Warning);

    QCOMPARE(box(dialog, "txtPWD")->text(), QString());
    QCOMPARE(box(dialog, "txtPWD2")->text(), QString());
    QTRY_COMPARE(dialog->focusWidget(), box(dialog, "txtPWD"));
    QVERIFY(dialog->isVisible());
    QVERIFY(window.isEnabled());
    QVERIFY(!runValues().warningTone);
    QCOMPARE(runValues().shopName, QStringLiteral("Test Shop"));
    QCOMPARE(runValues().currencySymbol, QStringLiteral("$"));
    QCOMPARE(test::fileBytes(folder.file("setup.dat")), kFixtureSetup);
    QCOMPARE(checkLogin("vetch", "vetch"), LoginCheck::Valid);
}

void TestPreferences::unchangedSaveRewritesSetup()
{
    test::TempAppFolder folder;
    logIn();
    QVERIFY(writeBytes(folder.file("setup.dat"), "\"1\"\r\n\"Test Shop\"\r\n\"12\"\r\n\"$\"\r\n"));
    MainWindow window;
    QPointer<PreferencesDialog> dialog = openPreferences(window);
    pressOk(dialog);
    QCOMPARE(test::fileBytes(folder.file("setup.dat")), kFixtureSetup);
    QCOMPARE(checkLogin("vetch", "vetch"), LoginCheck::Valid);
    QTRY_VERIFY(!dialog);
}

void TestPreferences::editedSaveStoresAndRefreshes()
{
    test::TempAppFolder folder;
    logIn();
    ExecSQL("insert into product_info (cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cPic) values (?,?,?,?,?,?)",
            {"Tea", "1", "9", "2", "5", 0});
    MainWindow window;
    QVERIFY(window.fillProductList());
    QPointer<PreferencesDialog> dialog = openPreferences(window);
    dialog->findChild<QCheckBox*>("chkSound")->setChecked(false);
    box(dialog, "txtGG")->setText("  Corner Shop ");
    box(dialog, "txtSymbol")->setText("  \u20ac ");
    box(dialog, "txtUsername")->setText("boss");
    box(dialog, "txtPWD")->setText("");
    box(dialog, "txtPWD2")->setText("");
    dialog->findChild<QComboBox*>("cmbPrinter")->setCurrentIndex(1);
    dialog->findChild<QComboBox*>("cmbColumns")->setCurrentIndex(1);
    box(dialog, "txtPrinter")->setText(" /dev/usb/lp0 ");
    pressOk(dialog);

    QCOMPARE(test::fileBytes(folder.file("printer.dat")), "\"ESC/POS\"\r\n\"/dev/usb/lp0\"\r\n\"32\"\r\n");
    QCOMPARE(runValues().shopName, QStringLiteral("  Corner Shop "));
    QCOMPARE(runValues().currencySymbol, QStringLiteral("\u20ac"));
    QVERIFY(!runValues().warningTone);
    QCOMPARE(test::fileBytes(folder.file("setup.dat")),
             QStringLiteral("\"0\"\r\n\"  Corner Shop \"\r\n\"1\"\r\n\"\u20ac\"\r\n").toUtf8());
    QCOMPARE(checkLogin("boss", ""), LoginCheck::Valid);
    QCOMPARE(runValues().currentUser, QStringLiteral("vetch"));

    // The list is emptied at once and refilled with the new symbol.
    QCOMPARE(window.productList()->model()->rowCount(), 0);
    QVERIFY(!window.isEnabled());
    QTRY_VERIFY(!dialog);
    QTRY_VERIFY(window.isEnabled());
    QCOMPARE(window.productList()->model()->rowCount(), 1);
    const QAbstractItemModel* list = window.productList()->model();
    QStringList prices;
    for (int column = 0; column < list->columnCount(); ++column)
        if (list->index(0, column).data().toString().startsWith(QStringLiteral("\u20ac")))
            prices.append(list->index(0, column).data().toString());
    QVERIFY2(prices.size() >= 2, qPrintable(prices.join(',')));

    // A reopened dialog shows the login's user but the stored password, and OK keeps it.
    QPointer<PreferencesDialog> again = openPreferences(window);
    QCOMPARE(box(again, "txtUsername")->text(), QStringLiteral("vetch"));
    QCOMPARE(box(again, "txtPWD")->text(), QString());
    QCOMPARE(box(again, "txtGG")->text(), QStringLiteral("  Corner Shop "));
    QCOMPARE(box(again, "txtPrinter")->text(), QStringLiteral("/dev/usb/lp0"));
    QCOMPARE(again->findChild<QComboBox*>("cmbColumns")->currentText(), QStringLiteral("32 columns"));
    box(again, "txtUsername")->setText("boss");
    pressOk(again);
    QCOMPARE(checkLogin("boss", ""), LoginCheck::Valid);
    QTRY_VERIFY(!again);
}

void TestPreferences::savesWithoutUserRow_data()
{
    QTest::addColumn<bool>("withDatabase");
    QTest::newRow("empty user_info") << true;
    QTest::newRow("no database") << false;
}

void TestPreferences::savesWithoutUserRow()
{
    QFETCH(bool, withDatabase);
    test::logInAsShopOwner(true);
    test::TempAppFolder folder(withDatabase);
    test::logInAsShopOwner(false);
    logIn();
    if (withDatabase)
        ExecSQL("delete from user_info");
    MainWindow window;
    QPointer<PreferencesDialog> dialog = openPreferences(window);
    box(dialog, "txtSymbol")->setText("EUR");
    pressOk(dialog);
    QCOMPARE(test::fileBytes(folder.file("setup.dat")), QByteArray("\"1\"\r\n\"Test Shop\"\r\n\"1\"\r\n\"EUR\"\r\n"));
    QCOMPARE(runValues().currencySymbol, QStringLiteral("EUR"));
    if (withDatabase)
        QCOMPARE(test::rowsOf("select * from user_info"), QStringList());
    QVERIFY(!window.isEnabled());
    QTRY_VERIFY(!dialog);
    QTRY_VERIFY(window.isEnabled());
}

void TestPreferences::cancelSavesNothing()
{
    test::TempAppFolder folder;
    logIn();
    MainWindow window;
    QPointer<PreferencesDialog> dialog = openPreferences(window);
    dialog->findChild<QCheckBox*>("chkSound")->setChecked(false);
    box(dialog, "txtSymbol")->setText("EUR");
    box(dialog, "txtPWD")->setText("x");
    dialog->findChild<QPushButton*>("cmdCancel")->click();
    QTRY_VERIFY(!dialog);
    QVERIFY(runValues().warningTone);
    QCOMPARE(runValues().currencySymbol, QStringLiteral("$"));
    QCOMPARE(test::fileBytes(folder.file("setup.dat")), kFixtureSetup);
    QCOMPARE(checkLogin("vetch", "vetch"), LoginCheck::Valid);
    QVERIFY(window.isEnabled());
}

void TestPreferences::taxRatesAndIdentityWindows()
{
    test::TempAppFolder folder;
    logIn();
    MainWindow window;
    QPointer<PreferencesDialog> dialog = openPreferences(window);
    // Two rates added; the second one marked default takes the mark from the first.
    const auto fill = [](const QStringList& percents) {
        QWidget* rates = QApplication::activeModalWidget();
        QCOMPARE(rates->objectName(), QString("frmTaxRates"));
        auto* table = rates->findChild<QTableWidget*>("tblTaxRates");
        for (const QString& percent : percents) {
            rates->findChild<QPushButton*>("cmdAddRate")->click();
            table->item(table->rowCount() - 1, 0)->setText("Rate " + percent);
            table->item(table->rowCount() - 1, 1)->setText(percent);
        }
        table->item(1, 2)->setCheckState(Qt::Checked);
        QCOMPARE(table->item(0, 2)->checkState(), Qt::Unchecked);
        rates->findChild<QPushButton*>("cmdOK")->click();
    };
    QTimer::singleShot(0, [&] { fill({"20", "7.5"}); });
    dialog->findChild<QPushButton*>("cmdTaxRates")->click();
    QStringList stored;
    const QList<TaxRate> rates = readTaxRates().value_or(QList<TaxRate>());
    for (const TaxRate& rate : rates)
        stored.append(QStringList{rate.code, rate.name, rate.percent, QString::number(rate.isDefault)}.join('|'));
    QCOMPARE(stored, (QStringList{"A|Rate 20|20|0", "B|Rate 7.5|7.5|1"}));
    QCOMPARE(taxPercentText("7,5"), std::nullopt); // a decimal comma only where the locale writes one

    // Beside them, the identity: a file of its own, setup.dat untouched.
    QTimer::singleShot(0, [] {
        QWidget* identity = QApplication::activeModalWidget();
        identity->findChild<QPlainTextEdit*>("txtAddress")->setPlainText("1 High St\n\nLeeds ");
        identity->findChild<QLineEdit*>("txtTaxNumber")->setText("GB123");
        identity->findChild<QPushButton*>("cmdOK")->click();
    });
    dialog->findChild<QPushButton*>("cmdIdentity")->click();
    QCOMPARE(readShopIdentity(), (ShopIdentity{{"1 High St", "Leeds"}, "GB123"}));
    QCOMPARE(test::fileBytes(folder.file("setup.dat")), kFixtureSetup);
}

void TestPreferences::operatorsWindowIsTheOwners()
{
    test::TempAppFolder folder;
    logIn();
    runValues().ownerRights = false;
    {
        MainWindow window;
        QVERIFY(!window.findChild<QAction*>("menuOperators")->isEnabled());
    }
    runValues().ownerRights = true;
    MainWindow window;
    window.findChild<QAction*>("menuOperators")->trigger();
    auto* operators = window.findChild<QDialog*>("frmOperators");
    QVERIFY(operators);
    const auto type = [operators](const char* box, const QString& text) {
        operators->findChild<QLineEdit*>(box)->setText(text);
    };
    type("txtName", "anna");
    type("txtPassword", "s3cret");
    operators->findChild<QPushButton*>("cmdAddOperator")->click();
    auto* list = operators->findChild<QTreeWidget*>("lvOperators");
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->currentItem()->text(1), QString("Cashier"));
    operators->findChild<QPushButton*>("cmdActive")->click();
    QCOMPARE(list->currentItem()->text(2), QString("No"));
    QVERIFY(!checkOperator("anna", "s3cret"));
    // A refused change says why and changes nothing.
    {
        test::BoxAnswerer answer;
        type("txtName", "vetch");
        operators->findChild<QPushButton*>("cmdRenameOperator")->click();
        QVERIFY(answer.wait());
        QCOMPARE(answer.box().text, QString("\"vetch\" is the owner's account."));
        QCOMPARE(list->topLevelItem(0)->text(0), QString("anna"));
    }

    // A change of operator locks the till until a login; a cashier loses the owner's window.
    QString error;
    QVERIFY(setOperatorActive("anna", true, &error));
    QPointer<QWidget> kept = operators;
    QTimer::singleShot(0, [] {
        QWidget* lock = QApplication::activeModalWidget();
        QCOMPARE(lock->objectName(), QString("frmChangeOperator"));
        lock->findChild<QLineEdit*>("txtUserName")->setText("anna");
        lock->findChild<QLineEdit*>("txtPWD")->setText("s3cret");
        lock->findChild<QPushButton*>("cmdOK")->click();
    });
    window.findChild<QAction*>("menuChangeOperator")->trigger();
    QCOMPARE(runValues().currentUser, QString("anna"));
    QVERIFY(!runValues().ownerRights && !window.findChild<QAction*>("menuOperators")->isEnabled());
    QTRY_VERIFY(!kept || !kept->isVisible());

    // The cashier needs an owner's approval for the preferences: a cashier's own password opens
    // nothing, the owner's opens them and is recorded.
    const auto approveWith = [](const QString& owner) {
        QTimer::singleShot(0, [owner] {
            QWidget* box = QApplication::activeModalWidget();
            QCOMPARE(box->objectName(), QString("frmApproval"));
            box->findChild<QLineEdit*>("txtUserName")->setText(owner);
            box->findChild<QLineEdit*>("txtPWD")->setText(owner == "anna" ? "s3cret" : "vetch");
            test::BoxAnswerer refusal;
            box->findChild<QPushButton*>("cmdOK")->click();
            if (box->isVisible())
                box->findChild<QPushButton*>("cmdCancel")->click();
        });
    };
    approveWith("anna");
    window.findChild<QAction*>("menuPreferences")->trigger();
    QVERIFY(!window.findChild<PreferencesDialog*>());
    approveWith("vetch");
    window.findChild<QAction*>("menuPreferences")->trigger();
    QVERIFY(window.findChild<PreferencesDialog*>());
    const QList<Approval> approvals = readApprovals();
    QCOMPARE(approvals.size(), 1);
    QCOMPARE(approvals.first().operatorName + '|' + approvals.first().approver + '|' + approvals.first().what,
             QString("anna|vetch|change the preferences"));
    runValues().ownerRights = true;
}

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
