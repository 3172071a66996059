// Where the shop's data lives (the executable's folder or the per-user data folder), laying out
// that folder on a first start, the command-line answers and what Help opens.
#include "app/appfolder.h"
#include "app/commandline.h"
#include "app/instance.h"
#include "app/ui/aboutdialog.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace marvono;

namespace {
void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

class TestAppFolder : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void choice_data();
    void choice();
    void firstStartLaysOutEverything();
    void laterStartsNeverOverwrite();
    void layoutFailureIsReported();
    void commandLine();
    void helpOpensFileThenGuide();
};

void TestAppFolder::choice_data()
{
    QTest::addColumn<QString>("exeFolder");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("expected");
    QTest::newRow("build tree") << "/home/op/marvono/build/appdir" << true << "/home/op/marvono/build/appdir";
    QTest::newRow("own prefix") << "/home/op/.local/lib/marvono/" << true << "/home/op/.local/lib/marvono";
    QTest::newRow("local prefix") << "/usr/local/lib/marvono" << true << "/usr/local/lib/marvono";
    QTest::newRow("not writable") << "/opt/marvono" << false << "/data/marvono";
    QTest::newRow("package") << "/usr/lib/marvono" << false << "/data/marvono";
    QTest::newRow("package, run by root") << "/usr/lib/marvono" << true << "/data/marvono";
    QTest::newRow("usr itself") << "/usr" << true << "/data/marvono";
    QTest::newRow("name starting like usr") << "/usrdata/marvono" << true << "/usrdata/marvono";
}

void TestAppFolder::choice()
{
    QFETCH(QString, exeFolder);
    QFETCH(bool, writable);
    QFETCH(QString, expected);
    QCOMPARE(chooseAppFolder(exeFolder, writable, QStringLiteral("/data")), expected);
}

void TestAppFolder::firstStartLaysOutEverything()
{
    QTemporaryDir installed;
    QTemporaryDir home;
    for (const QString& file : deliveredFiles())
        writeFile(installed.filePath(file), file.toUtf8());
    QFile::setPermissions(installed.filePath("system32.dll"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QString target = home.filePath("share/marvono");

    QVERIFY(layOutAppFolder(installed.path(), target));
    for (const QString& file : deliveredFiles())
        QCOMPARE(test::fileBytes(target + "/" + file), file.toUtf8());
    QCOMPARE(test::fileBytes(target + "/qexclient/tables.dat"), QByteArray("qexclient/tables.dat"));
    for (const QString& folder : appSubfolders())
        QVERIFY2(QFileInfo(target + "/" + folder).isDir(), qPrintable(folder));
    // The copied database must be the operator's to write, whatever the installed one allows.
    QVERIFY(QFileInfo(target + "/system32.dll").permissions().testFlag(QFile::WriteOwner));
    QVERIFY(!QFileInfo(target + "/system32.dll").permissions().testFlag(QFile::ReadOther));
}

void TestAppFolder::laterStartsNeverOverwrite()
{
    QTemporaryDir installed;
    QTemporaryDir target;
    writeFile(installed.filePath("system32.dll"), "delivered database");
    writeFile(installed.filePath("setup.dat"), "delivered settings");
    writeFile(installed.filePath("qexclient/pic/zw.jpg"), "delivered picture");
    writeFile(installed.filePath("qexclient/tables.dat"), "\"Counter\"\r\n");
    writeFile(target.filePath("system32.dll"), "the shop's sales");
    writeFile(target.filePath("setup.dat"), "the shop's name");
    writeFile(target.filePath("qexclient/bill/7.txt"), "a bill");

    QVERIFY(layOutAppFolder(installed.path(), target.path()));
    QVERIFY(layOutAppFolder(installed.path(), target.path()));
    QCOMPARE(test::fileBytes(target.filePath("system32.dll")), QByteArray("the shop's sales"));
    QCOMPARE(test::fileBytes(target.filePath("setup.dat")), QByteArray("the shop's name"));
    QCOMPARE(test::fileBytes(target.filePath("qexclient/bill/7.txt")), QByteArray("a bill"));
    // A file the operator lost comes back; one the installation does not deliver is not made up.
    QCOMPARE(test::fileBytes(target.filePath("qexclient/pic/zw.jpg")), QByteArray("delivered picture"));
    QVERIFY(!QFileInfo::exists(target.filePath("report/report.rpt")));
    QVERIFY(!QFileInfo::exists(target.filePath("qexclient/tables.dat"))); // bills of the empty buyer stay shown
}

void TestAppFolder::layoutFailureIsReported()
{
    QTemporaryDir installed;
    QTemporaryDir home;
    writeFile(installed.filePath("system32.dll"), "delivered database");
    // A plain file where the folder should go: refused even to root, unlike permission bits.
    writeFile(home.filePath("blocked"), "");
    QVERIFY(!layOutAppFolder(installed.path(), home.filePath("blocked/marvono")));
}

void TestAppFolder::commandLine()
{
    const QString help = commandLineAnswer({"marvono", "--help"}).value_or(QString());
    QVERIFY(help.startsWith("Usage: marvono"));
    QCOMPARE(commandLineAnswer({"marvono", "-h"}), std::optional<QString>(help));
    QCOMPARE(commandLineAnswer({"marvono", "--version"}), std::optional<QString>("Marvono " MARVONO_VERSION "\n"));
    QCOMPARE(commandLineAnswer({"marvono", "-style", "fusion", "--version", "--help"}),
             std::optional<QString>(versionText()));
    QVERIFY(!commandLineAnswer({"marvono"}));
    QVERIFY(!commandLineAnswer({"marvono", "--unknown", "shop.db"}));
    // The program's own name is not an option, whatever it is called.
    QVERIFY(!commandLineAnswer({"--help"}));
}

void TestAppFolder::helpOpensFileThenGuide()
{
    test::TempAppFolder app(false);
    QTemporaryDir prefix;
    const QString exeFolder = prefix.filePath("lib/marvono");
    const QString installed = QDir::cleanPath(prefix.filePath("share/marvono/guide/index.html"));
    const QString built = QDir::cleanPath(prefix.filePath("lib/docs/guide/index.html"));
    QCOMPARE(installedGuidePath(exeFolder), installed);
    // A build tree's guide serves while no installed one exists; the installed one wins after.
    writeFile(built, "built");
    QCOMPARE(installedGuidePath(exeFolder), built);
    writeFile(installed, "installed");
    QCOMPARE(installedGuidePath(exeFolder), installed);

    const QString chm = app.file("tutorial.chm");
    registerHelpFile(chm);
    registerUserGuide(prefix.filePath("gone.html"));
    QCOMPARE(helpTarget(), QString());
    registerUserGuide(installed);
    QCOMPARE(helpTarget(), installed);
    // The about box leads to the same guide when no home page is built in.
    if (AboutDialog::address().scheme() == "file")
        QCOMPARE(AboutDialog::address(), QUrl::fromLocalFile(installed));
    writeFile(chm, "chm");
    QCOMPARE(helpTarget(), chm);
}

QTEST_MAIN(TestAppFolder)
#include "tst_appfolder.moc"
