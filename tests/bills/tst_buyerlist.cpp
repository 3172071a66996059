// The buyer list file and the buyer window that edits it.
#include "app/appcontext.h"
#include "app/ui/mainwindow.h"
#include "bills/buyerlist.h"
#include "bills/ui/buyerlistdialog.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using namespace marvono;

namespace {

struct BuyerWindow {
    test::TempAppFolder folder;
    MainWindow main;
    QPointer<BuyerListDialog> dialog;
    explicit BuyerWindow(const QStringList& buyers = {}, bool withFile = true)
    {
        if (withFile)
            test::writeBuyers(buyers);
        main.show();
        main.reloadBuyerCombo();
        main.runCommand(Command::OpenBuyers);
        dialog = main.findChild<BuyerListDialog*>(QStringLiteral("frmTable"));
    }
    QListWidget* list() const { return dialog->findChild<QListWidget*>("lstTable"); }
    QLineEdit* name() const { return dialog->findChild<QLineEdit*>("txtTable"); }
    QPushButton* button(const char* objectName) const { return dialog->findChild<QPushButton*>(objectName); }
    QStringList entries() const
    {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts.append(list()->item(i)->text());
        return texts;
    }
    void clickEntry(int row)
    {
        QListWidgetItem* item = list()->item(row);
        list()->setCurrentItem(item);
        emit list()->itemClicked(item);
    }
    // Presses a button with a name typed, answering a box if one shows.
    test::SeenBox press(const char* objectName, const QString& typed)
    {
        name()->setText(typed);
        test::BoxAnswerer answerer;
        button(objectName)->click();
        return answerer.box();
    }
    QStringList comboEntries() const
    {
        QStringList texts;
        for (int i = 0; i < main.buyerCombo()->count(); ++i)
            texts.append(main.buyerCombo()->itemText(i));
        return texts;
    }
};

} // namespace

class TestBuyerList : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void fileBytesAndReading();
    void failedWriteKeepsTheOldList();
    void windowLooksAsDesigned();
    void namesWithBlanksOrQuotesRefused();
    void addUpdateDelete();
    void leaveWritesAndReloadsTheMainCombo();
    void leaveWithEmptyListWritesEmptyFile();
};

void TestBuyerList::fileBytesAndReading()
{
    test::TempAppFolder folder;
    QVERIFY(readBuyerList().isEmpty());
    QCOMPARE(firstBuyer(), QString());

    QVERIFY(writeBuyerList({"A1", "Window"}));
    QCOMPARE(test::fileBytes(buyerListPath()), QByteArray::fromHex("224131220D0A2257696E646F77220D0A"));
    QCOMPARE(test::fileBytes(buyerListPath()).size(), 16);
    QCOMPARE(readBuyerList(), (QStringList{"A1", "Window"}));
    QCOMPARE(firstBuyer(), QStringLiteral("A1"));

    // Empty names, doubles, commas and non-ASCII names come back as written.
    const QStringList odd{"", "Table5", "Table5", "Smith, Jones", QString::fromUtf8("Caf\u00e9"), "O'Brien"};
    QVERIFY(writeBuyerList(odd));
    QVERIFY(test::fileBytes(buyerListPath()).startsWith("\"\"\r\n\"Table5\"\r\n\"Table5\"\r\n\"Smith, Jones\"\r\n"));
    QCOMPARE(readBuyerList(), odd);
    QCOMPARE(firstBuyer(), QString());
    // A chosen name listed twice keeps its place; once it leaves the list the first buyer is back.
    chooseBuyer(odd, 2);
    QCOMPARE(chosenBuyer().position, 2);
    QCOMPARE(chosenBuyer({"A1", "Table5"}).position, 1);
    QCOMPARE(chosenBuyer({"A1"}).name, QStringLiteral("A1"));
    QCOMPARE(chosenBuyer(odd).position, 0);

    // A file written by hand: blanks before fields, unquoted fields and commas between them.
    QFile file(buyerListPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("  \"B1\",B2\r\n\"B3\"");
    file.close();
    QCOMPARE(readBuyerList(), (QStringList{"B1", "B2", "B3"}));
}

void TestBuyerList::failedWriteKeepsTheOldList()
{
    test::TempAppFolder folder;
    QVERIFY(writeBuyerList({"A1", "Window"}));
    const QByteArray before = test::fileBytes(buyerListPath());
    // Limit the size of files this process may write, so the new list cannot be written whole.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QStringList many;
    for (int i = 0; i < 100; ++i)
        many.append(QStringLiteral("Buyer%1").arg(i));
    const bool written = writeBuyerList(many);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
    QVERIFY(!written);
    QCOMPARE(test::fileBytes(buyerListPath()), before);
}

void TestBuyerList::windowLooksAsDesigned()
{
    runValues().themeIndex = 5;
    BuyerWindow window({"A1", "Window"});
    runValues().themeIndex = 5; // the fixture resets the run values; the window must not use them
    QVERIFY(window.dialog);
    QCOMPARE(window.dialog->windowTitle(), QStringLiteral("Form1"));
    QWidget* container = window.dialog->findChild<QWidget*>("XPContainer1");
    QCOMPARE(container->property("Caption").toString(), QStringLiteral("Buyer"));
    QCOMPARE(container->property("Theme").toInt(), 0);
    QCOMPARE(window.entries(), (QStringList{"A1", "Window"}));
    QStringList labels;
    for (QLabel* label : window.dialog->findChildren<QLabel*>())
        labels.append(label->text());
    QVERIFY(labels.contains("Buyer:"));
    QVERIFY(labels.contains("Buyer ID(Please don't input space):"));
    const QList<QPair<const char*, QString>> captions{
        {"cmdadd", "Add New"}, {"cmdupdate", "Update"}, {"cmddel", "Delete"}, {"cmdExit", "Leave"}};
    for (const auto& [name, caption] : captions) {
        const QString text = window.button(name)->text();
        QCOMPARE(text.trimmed(), caption);
        const qsizetype leading = text.indexOf(caption);
        const qsizetype trailing = text.size() - leading - caption.size();
        QVERIFY2(leading > 0 && trailing > 0 && qAbs(leading - trailing) <= 1, name);
    }
    // Opening it again brings the same window forward.
    window.main.runCommand(Command::OpenBuyers);
    QCOMPARE(window.main.findChildren<BuyerListDialog*>().size(), 1);
}

void TestBuyerList::namesWithBlanksOrQuotesRefused()
{
    BuyerWindow window({"A1"});
    for (const char* button : {"cmdadd", "cmdupdate"}) {
        window.clickEntry(0);
        const test::SeenBox box = window.press(button, "Table 5");
        QCOMPARE(box.title, QStringLiteral("Warning"));
        QCOMPARE(box.text, QStringLiteral("Space is not allowed in table name box"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(window.entries(), QStringList{"A1"});

        const test::SeenBox quote = window.press(button, "Say\"Hi\"");
        QCOMPARE(quote.title, QStringLiteral("Warning"));
        QCOMPARE(quote.text, QStringLiteral("Double quote is not allowed in table name box"));
        QCOMPARE(window.entries(), QStringList{"A1"});
    }
    QVERIFY(!window.press("cmdadd", "Table5").seen);
    QCOMPARE(window.entries(), (QStringList{"A1", "Table5"}));
}

void TestBuyerList::addUpdateDelete()
{
    BuyerWindow window({}, false);
    QCOMPARE(window.list()->count(), 0);
    // Delete on an empty list, and with nothing selected, does nothing and says nothing.
    QVERIFY(!window.press("cmddel", "x").seen);
    window.press("cmdadd", "A1");
    window.press("cmdadd", "A1");
    window.press("cmdadd", "");
    window.press("cmdadd", "Smith,Jones");
    QCOMPARE(window.entries(), (QStringList{"A1", "A1", "", "Smith,Jones"}));
    window.list()->clearSelection();
    QVERIFY(!window.press("cmddel", "x").seen);
    QVERIFY(!window.press("cmdupdate", "B2").seen);
    QCOMPARE(window.entries(), (QStringList{"A1", "A1", "", "Smith,Jones"}));

    window.clickEntry(3);
    QCOMPARE(window.name()->text(), QStringLiteral("Smith,Jones"));
    window.clickEntry(1);
    window.press("cmdupdate", "B2");
    QCOMPARE(window.entries(), (QStringList{"A1", "B2", "", "Smith,Jones"}));

    window.clickEntry(0);
    window.press("cmddel", "typed");
    QCOMPARE(window.entries(), (QStringList{"B2", "", "Smith,Jones"}));
    QCOMPARE(window.name()->text(), QStringLiteral("typed"));
    // Nothing stays selected, so a second Delete removes nothing more.
    window.press("cmddel", "typed");
    QCOMPARE(window.entries(), (QStringList{"B2", "", "Smith,Jones"}));
    // The file changes only on Leave.
    QVERIFY(!QFile::exists(buyerListPath()));
}

void TestBuyerList::leaveWritesAndReloadsTheMainCombo()
{
    BuyerWindow window({"A1", "Window"});
    QCOMPARE(window.comboEntries(), (QStringList{"A1", "Window"}));
    window.clickEntry(0);
    window.press("cmddel", "");
    window.press("cmdadd", "Smith,Jones");
    window.press("cmdadd", "");
    window.button("cmdExit")->click();
    QTRY_VERIFY(window.dialog.isNull());
    QCOMPARE(test::fileBytes(buyerListPath()), QByteArray("\"Window\"\r\n\"Smith,Jones\"\r\n\"\"\r\n"));
    QCOMPARE(window.comboEntries(), (QStringList{"Window", "Smith,Jones", ""}));
    QCOMPARE(firstBuyer(), QStringLiteral("Window"));

    // The window's close box keeps what was added too.
    window.main.runCommand(Command::OpenBuyers);
    window.dialog = window.main.findChild<BuyerListDialog*>(QStringLiteral("frmTable"));
    window.press("cmdadd", "Kept");
    window.dialog->close();
    QTRY_VERIFY(window.dialog.isNull());
    QCOMPARE(readBuyerList(), (QStringList{"Window", "Smith,Jones", "", "Kept"}));
}

void TestBuyerList::leaveWithEmptyListWritesEmptyFile()
{
    BuyerWindow window({"A1"});
    window.clickEntry(0);
    window.press("cmddel", "");
    window.button("cmdExit")->click();
    QVERIFY(QFile::exists(buyerListPath()));
    QCOMPARE(QFileInfo(buyerListPath()).size(), 0);
    QVERIFY(window.comboEntries().isEmpty());
    QVERIFY(readBuyerList().isEmpty());
}

QTEST_MAIN(TestBuyerList)
#include "tst_buyerlist.moc"
