#include "settings/ui/preferencesdialog.h"

#include "app/appcontext.h"
#include "bills/receipt.h"
#include "bills/thermalprinter.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "controls/ui/xpcontainer.h"
#include "settings/preferences.h"
#include "settings/ui/identitydialog.h"
#include "settings/ui/taxratesdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace marvono {
namespace {

QLabel* addLabel(QWidget* parent, const QString& objectName, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setGeometry(place);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

XPContainer* addGroup(QWidget* parent, const QString& objectName, const QString& caption, const QRect& place)
{
    auto* group = new XPContainer(parent, caption);
    group->setObjectName(objectName);
    group->setGeometry(place);
    return group;
}

} // namespace

PreferencesDialog::PreferencesDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Preferences"));
    build();
    load();
}

void PreferencesDialog::build()
{
    setFixedSize(XPContainer::twips(0, 0, 5625, 8805).size());
    m_frame =
        addGroup(this, QStringLiteral("XPContainer1"), QStringLiteral("Setup"), XPContainer::twips(0, 0, 5625, 8805));

    m_nameGroup = addGroup(m_frame, QStringLiteral("XPContainer2"), QStringLiteral("Shop or Company Name"),
                           XPContainer::twips(150, 480, 5325, 900));
    addLabel(m_nameGroup, QStringLiteral("Label1"), QStringLiteral("Name:"), XPContainer::twips(150, 450, 1050, 300));
    m_shopName = makeLineEdit(m_nameGroup, QStringLiteral("txtGG"), XPContainer::twips(1275, 420, 3900, 330));

    m_symbolGroup = addGroup(m_frame, QStringLiteral("XPContainer3"), QStringLiteral("Currency Symbol"),
                             XPContainer::twips(150, 1500, 5325, 900));
    addLabel(m_symbolGroup, QStringLiteral("Label2"), QStringLiteral("Symbol:"),
             XPContainer::twips(150, 450, 1050, 300));
    m_symbol = makeLineEdit(m_symbolGroup, QStringLiteral("txtSymbol"), XPContainer::twips(1275, 420, 1500, 330));
    // Beside the symbol: the paper customer receipts are printed on.
    addLabel(m_symbolGroup, QStringLiteral("lblPaper"), QStringLiteral("Receipt:"),
             XPContainer::twips(2925, 450, 975, 300));
    m_paper = new QComboBox(m_symbolGroup);
    m_paper->setObjectName(QStringLiteral("cmbPaper"));
    m_paper->setGeometry(XPContainer::twips(3900, 420, 1275, 330));
    m_paper->setToolTip(QStringLiteral("Paper for customer receipts"));
    for (ReceiptPaper paper : {ReceiptPaper::Roll80, ReceiptPaper::Roll58, ReceiptPaper::A4})
        m_paper->addItem(receiptPaperName(paper), int(paper));

    m_toneGroup = addGroup(m_frame, QStringLiteral("XPContainer4"), QStringLiteral("Warning Tone"),
                           XPContainer::twips(150, 2520, 5325, 1050));
    m_tone = new QCheckBox(m_toneGroup);
    m_tone->setObjectName(QStringLiteral("chkSound"));
    m_tone->setGeometry(XPContainer::twips(150, 450, 300, 300));
    m_blueLabels.append(addLabel(m_toneGroup, QStringLiteral("Label3"), QStringLiteral("Warning tone"),
                                 XPContainer::twips(525, 450, 3000, 300)));
    addLabel(m_toneGroup, QStringLiteral("Label4"), QStringLiteral("Turn on/off the warning tone"),
             XPContainer::twips(525, 720, 4500, 300));

    m_securityGroup = addGroup(m_frame, QStringLiteral("XPContainer5"), QStringLiteral("Security"),
                               XPContainer::twips(150, 3690, 5325, 2100));
    m_blueLabels.append(addLabel(m_securityGroup, QStringLiteral("Label5"), QStringLiteral("Change password"),
                                 XPContainer::twips(150, 420, 3000, 300)));
    addLabel(m_securityGroup, QStringLiteral("Label6"), QStringLiteral("Username:"),
             XPContainer::twips(150, 840, 1200, 300));
    m_userName = makeLineEdit(m_securityGroup, QStringLiteral("txtUsername"), XPContainer::twips(1425, 810, 3750, 330));
    addLabel(m_securityGroup, QStringLiteral("Label7"), QStringLiteral("Password:"),
             XPContainer::twips(150, 1260, 1200, 300));
    m_password = makeLineEdit(m_securityGroup, QStringLiteral("txtPWD"), XPContainer::twips(1425, 1230, 3750, 330));
    addLabel(m_securityGroup, QStringLiteral("Label8"), QStringLiteral("Confirm:"),
             XPContainer::twips(150, 1680, 1200, 300));
    m_confirmation =
        makeLineEdit(m_securityGroup, QStringLiteral("txtPWD2"), XPContainer::twips(1425, 1650, 3750, 330));
    for (QLineEdit* secret : {m_password, m_confirmation}) {
        secret->setEchoMode(QLineEdit::Password);
        secret->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*'
    }

    buildPrinterGroup();

    // Left of the buttons: the tax rates, kept in the database rather than in setup.dat.
    QPushButton* taxRates = makeButton(m_frame, QStringLiteral("cmdTaxRates"), QStringLiteral("Tax Rates..."));
    taxRates->setGeometry(XPContainer::twips(150, 7350, 1725, 585));
    connect(taxRates, &QPushButton::clicked, this, [this]() {
        TaxRatesDialog rates(this);
        rates.exec();
    });
    // Under it, in a row of its own that the window grew by: the address and tax number on the
    // papers, kept beside setup.dat rather than in it.
    QPushButton* identity = makeButton(m_frame, QStringLiteral("cmdIdentity"), QStringLiteral("Shop Identity..."));
    identity->setGeometry(XPContainer::twips(150, 8025, 1725, 585));
    connect(identity, &QPushButton::clicked, this, [this]() {
        IdentityDialog dialog(this);
        dialog.exec();
    });

    QPushButton* ok = makeButton(m_frame, QStringLiteral("cmdOK"), QStringLiteral("  O K"));
    ok->setGeometry(XPContainer::twips(2400, 7350, 1425, 585));
    connect(ok, &QPushButton::clicked, this, &PreferencesDialog::save);
    QPushButton* cancel = makeButton(m_frame, QStringLiteral("cmdCancel"), QStringLiteral(" Cancel"));
    cancel->setGeometry(XPContainer::twips(4050, 7350, 1425, 585));
    connect(cancel, &QPushButton::clicked, this, &PreferencesDialog::close);
    pressOnEscape(this, cancel);
}

void PreferencesDialog::buildPrinterGroup()
{
    m_printerGroup = addGroup(m_frame, QStringLiteral("XPContainer6"), QStringLiteral("Receipt Printer"),
                              XPContainer::twips(150, 5910, 5325, 1260));
    addLabel(m_printerGroup, QStringLiteral("lblPrinter"), QStringLiteral("Print on:"),
             XPContainer::twips(150, 450, 1050, 300));
    m_printer = new QComboBox(m_printerGroup);
    m_printer->setObjectName(QStringLiteral("cmbPrinter"));
    m_printer->setGeometry(XPContainer::twips(1275, 420, 2100, 330));
    m_printer->addItems({QStringLiteral("Desktop printing"), QStringLiteral("ESC/POS printer")});
    connect(m_printer, &QComboBox::currentIndexChanged, this, &PreferencesDialog::showPrinterChoice);
    m_columns = new QComboBox(m_printerGroup);
    m_columns->setObjectName(QStringLiteral("cmbColumns"));
    m_columns->setGeometry(XPContainer::twips(3525, 420, 1650, 330));
    m_columns->setToolTip(QStringLiteral("Characters a line of the ESC/POS printer holds"));
    m_columns->addItem(QStringLiteral("48 columns"), 48);
    m_columns->addItem(QStringLiteral("32 columns"), 32);
    addLabel(m_printerGroup, QStringLiteral("lblPrinterTarget"), QStringLiteral("Device:"),
             XPContainer::twips(150, 840, 1050, 300));
    m_printerTarget =
        makeLineEdit(m_printerGroup, QStringLiteral("txtPrinter"), XPContainer::twips(1275, 810, 3900, 330));
    m_printerTarget->setPlaceholderText(QStringLiteral("/dev/usb/lp0 or host:9100"));
}

void PreferencesDialog::showPrinterChoice()
{
    // The paper stays open: PDF files are laid out on it whatever prints the receipts.
    const bool escPos = m_printer->currentIndex() == 1;
    m_columns->setEnabled(escPos);
    m_printerTarget->setEnabled(escPos);
}

void PreferencesDialog::load()
{
    const RunValues& values = runValues();
    // The outer frame and the shop-name group keep the default theme.
    for (XPContainer* group : {m_symbolGroup, m_toneGroup, m_securityGroup, m_printerGroup})
        group->setTheme(values.themeIndex);
    m_symbol->setText(values.currencySymbol);
    for (QWidget* label : std::as_const(m_blueLabels)) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
        label->setPalette(palette);
    }
    m_password->setText(values.currentPassword);
    m_confirmation->setText(values.currentPassword);
    m_userName->setText(values.currentUser);
    m_paper->setCurrentIndex(m_paper->findData(int(readReceiptPaper())));
    const ReceiptPrinter printer = readReceiptPrinter();
    m_printer->setCurrentIndex(printer.escPos ? 1 : 0);
    m_columns->setCurrentIndex(m_columns->findData(printer.columns));
    m_printerTarget->setText(printer.target);
    showPrinterChoice();
    const SetupHead head = readSetupHead();
    if (head.warningTone)
        m_tone->setChecked(*head.warningTone);
    if (head.shopName) {
        runValues().shopName = *head.shopName;
        m_shopName->setText(*head.shopName);
    }
}

void PreferencesDialog::save()
{
    const ReceiptPrinter printer{m_printer->currentIndex() == 1, m_printerTarget->text().trimmed(),
                                 m_columns->currentData().toInt()};
    if (printer.escPos && printer.target.isEmpty()) {
        warn(this, QStringLiteral("Receipt printer"),
             QStringLiteral("Please give the ESC/POS printer's device file (/dev/usb/lp0) or network address "
                            "(host:9100)."));
        m_printerTarget->setFocus();
        return;
    }
    const PreferencesInput input{m_tone->isChecked(), m_shopName->text(), m_symbol->text(),
                                 m_userName->text(),  m_password->text(), m_confirmation->text()};
    if (savePreferences(input) == PreferencesOutcome::PasswordMismatch) {
        warn(this, QStringLiteral("Warning"), QStringLiteral("Password confirm failed"));
        m_password->clear();
        m_confirmation->clear();
        m_password->setFocus();
        return;
    }
    saveReceiptPaper(ReceiptPaper(m_paper->currentData().toInt()));
    if (QString error; !saveReceiptPrinter(printer, &error))
        warn(this, QStringLiteral("Receipt printer"), error);
    if (ShopWindow* main = ShopWindow::current())
        main->requestRefresh(true);
    close();
}

} // namespace marvono
