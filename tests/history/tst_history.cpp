// The message pane's commands: clearing, saving and printing the history.
#include "app/ui/mainwindow.h"
#include "history/historyfiles.h"
#include "support/history_dialogs.h"
#include "support/testsupport.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QtTest>

using namespace marvono;

namespace {

// A receipt block as a sale appends it: it starts with a line end and has none at its end.
QString receipt(const QString& product, const QString& time)
{
    return "\r\n==============================\r\nProduct Name: " + product + "\r\nPrice: $2\r\nTotal: $4\r\n" +
           "Quantity: 2\r\nTime: " + time;
}

void appendReceipt(QPlainTextEdit* pane, const QString& block)
{
    pane->setPlainText(pane->toPlainText() + block);
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() { setPrintLauncher({}); }
    void clear_data();
    void clear();
    void saveEmptyPane();
    void saveTwoReceipts();
    void cancelledSaveWritesNothing();
    void saveFailureKeepsPane();
    void printTwice();
    void printFailuresAreReported_data();
    void printFailuresAreReported();
};

void TestHistory::clear_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("ok");
    const int button = int(Command::ClearHistoryButton);
    const int menu = int(Command::ClearHistoryMenu);
    QTest::newRow("button, cancel") << button << "Are you sure to clear History ?" << false;
    QTest::newRow("button, ok") << button << "Are you sure to clear History ?" << true;
    QTest::newRow("menu, cancel") << menu << "Are you sure to clear history ?" << false;
    QTest::newRow("menu, ok") << menu << "Are you sure to clear history ?" << true;
}

void TestHistory::clear()
{
    QFETCH(int, command);
    QFETCH(QString, question);
    QFETCH(bool, ok);
    test::TempAppFolder folder;
    MainWindow window;
    QPlainTextEdit* pane = window.historyPane();
    appendReceipt(pane, receipt("Tea", "2026-12-07 14:05:09"));
    const QString before = pane->toPlainText();

    test::BoxAnswerer box(ok ? QMessageBox::Ok : QMessageBox::Cancel);
    window.runCommand(Command(command));
    QVERIFY(box.wait());
    QCOMPARE(box.box().title, QStringLiteral("Confirm"));
    QCOMPARE(box.box().text, question);
    QCOMPARE(box.box().icon, QMessageBox::Warning);
    QCOMPARE(box.box().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(pane->toPlainText(), ok ? QString() : before);
}

void TestHistory::saveEmptyPane()
{
    test::TempAppFolder folder;
    MainWindow window;
    const QString path = folder.file("empty.TXT");

    test::FileDialogAnswerer dialog(path);
    test::BoxAnswerer box;
    window.runCommand(Command::SaveHistory);
    QVERIFY(dialog.wait());
    QCOMPARE(dialog.dialog().objectName, QStringLiteral("CD"));
    QCOMPARE(dialog.dialog().acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(dialog.dialog().nameFilters, QStringList{"Text file(*.TXT) (*.txt *.TXT)"});
    QVERIFY(box.wait());
    QCOMPARE(box.box().title, QStringLiteral("OK"));
    QCOMPARE(box.box().text, QStringLiteral("File has been saved"));
    QCOMPARE(box.box().icon, QMessageBox::Warning);
    QCOMPARE(test::fileBytes(path), QByteArray("\"\"\r\n"));
}

void TestHistory::saveTwoReceipts()
{
    test::TempAppFolder folder;
    MainWindow window;
    // A quote inside the text is written as it is.
    const QString first = receipt("12\" pizza", "2026-12-07 14:05:09");
    const QString second = receipt("Tea", "2026-12-07 14:06:10");
    appendReceipt(window.historyPane(), first);
    appendReceipt(window.historyPane(), second);
    const QString path = folder.file("history.TXT");
    QVERIFY(test::fileBytes(path).isEmpty());

    test::FileDialogAnswerer dialog(path);
    test::BoxAnswerer box;
    window.runCommand(Command::SaveHistory);
    QVERIFY(box.wait());
    QCOMPARE(box.box().text, QStringLiteral("File has been saved"));
    const QByteArray saved = test::fileBytes(path);
    QCOMPARE(saved, "\"" + (first + second).toUtf8() + "\"\r\n");
    QCOMPARE(saved.count("\r\n"), 13);
    QCOMPARE(saved.count('\n'), 13);
}

void TestHistory::cancelledSaveWritesNothing()
{
    test::TempAppFolder folder;
    MainWindow window;
    appendReceipt(window.historyPane(), receipt("Tea", "2026-12-07 14:05:09"));
    const QString path = folder.file("history.TXT");
    {
        test::FileDialogAnswerer dialog(path);
        test::BoxAnswerer box;
        window.runCommand(Command::SaveHistory);
        QVERIFY(box.wait());
    }
    const QByteArray saved = test::fileBytes(path);
    QVERIFY(!saved.isEmpty());
    appendReceipt(window.historyPane(), receipt("Coffee", "2026-12-07 14:06:10"));

    test::FileDialogAnswerer dialog(QString{});
    test::BoxAnswerer box;
    window.runCommand(Command::SaveHistory);
    QVERIFY(dialog.dialog().seen);
    QVERIFY(!box.box().seen);
    QCOMPARE(test::fileBytes(path), saved);
    const QString database = test::serverEngine() ? "shopserver.conf" : "system32.dll";
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), (QStringList{"history.TXT", "setup.dat", database}));
}

void TestHistory::saveFailureKeepsPane()
{
    test::TempAppFolder folder;
    MainWindow window;
    appendReceipt(window.historyPane(), receipt("Tea", "2026-12-07 14:05:09"));
    const QString before = window.historyPane()->toPlainText();

    test::FileDialogAnswerer dialog(folder.file("no such folder/history.TXT"));
    test::BoxAnswerer box;
    window.runCommand(Command::SaveHistory);
    QVERIFY(box.wait());
    QCOMPARE(box.box().title, QStringLiteral("error"));
    QCOMPARE(box.box().text, QStringLiteral("(main)History save error"));
    QCOMPARE(box.box().icon, QMessageBox::Warning);
    QCOMPARE(window.historyPane()->toPlainText(), before);
}

void TestHistory::printTwice()
{
    test::TempAppFolder folder;
    MainWindow window;
    QList<QStringList> started;
    setPrintLauncher([&started](const QString& program, const QStringList& arguments) {
        started.append(QStringList{program} + arguments);
        return true;
    });
    const QString printFile = folder.file("print.txt");
    test::BoxAnswerer box;

    window.historyPane()->setPlainText("first");
    window.runCommand(Command::PrintHistory);
    QCOMPARE(test::fileBytes(printFile), QByteArray("first\r\n"));
    const QString block = receipt("Tea", "2026-12-07 14:05:09");
    appendReceipt(window.historyPane(), block);
    window.runCommand(Command::PrintHistory);

    QCOMPARE(test::fileBytes(printFile), ("first" + block + "\r\n").toUtf8());
    QCOMPARE(started, (QList<QStringList>{{"lp", printFile}, {"lp", printFile}}));
    QCOMPARE(QDir(folder.path()).entryList({"print*"}, QDir::Files), QStringList{"print.txt"});
    QVERIFY(!box.box().seen);
}

void TestHistory::printFailuresAreReported_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("writable");
    QTest::newRow("lp refuses") << true << true;
    QTest::newRow("no lp") << false << true;
    QTest::newRow("print.txt cannot be written") << true << false;
}

void TestHistory::printFailuresAreReported()
{
    QFETCH(bool, installed);
    QFETCH(bool, writable);
    test::TempAppFolder folder;
    MainWindow window;
    const QString printFile = folder.file("print.txt");
    if (!writable)
        QVERIFY(QDir().mkpath(printFile + "/blocked"));
    test::FakePrintCommand lp(1, installed);
    window.historyPane()->setPlainText("text");
    test::BoxAnswerer box;
    window.runCommand(Command::PrintHistory);
    QVERIFY(box.wait());
    QCOMPARE(box.box().title, QStringLiteral("Error"));
    QCOMPARE(box.box().text.section('\n', 0, 0), QStringLiteral("(main)Print error"));
    QVERIFY2(box.box().text.contains(printFile), qPrintable(box.box().text)); // with the reason
    QCOMPARE(box.box().icon, QMessageBox::Warning);
    QCOMPARE(window.historyPane()->toPlainText(), QStringLiteral("text"));
    if (writable)
        QCOMPARE(test::fileBytes(printFile), QByteArray("text\r\n"));
    // lp was handed the print file exactly when it exists and the file could be written.
    QCOMPARE(test::fileBytes(lp.callsPath()), installed && writable ? (printFile + "\n").toUtf8() : QByteArray());
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
