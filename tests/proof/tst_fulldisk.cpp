// A full disk while saving settings, the buyer list, a backup or an export: the save is reported
// as failed and the old file stays whole. Runs on a small tmpfs (needs root, as CI has).
#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "app/settings.h"
#include "bills/buyerlist.h"
#include "data/backup.h"
#include "data/database.h"
#include "data/schema.h"
#include "reports/reportexport.h"
#include "reports/workbookfile.h"
#include "support/testsupport.h"

#include <QStorageInfo>
#include <QtTest>
#include <sys/mount.h>
#include <unistd.h>

using namespace marvono;

class TestFullDisk : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void savesOnAFullDisk();

  private:
    QTemporaryDir m_mountPoint;
    bool m_mounted = false;
    QString m_folder;

    // Fills the file system to the last byte.
    void fillDisk()
    {
        // Unbuffered, so every failed write is seen at once.
        QFile filler(m_mountPoint.filePath("filler"));
        QVERIFY(filler.open(QIODevice::Append | QIODevice::Unbuffered));
        for (qint64 size : {qint64(65536), qint64(4096), qint64(1)}) {
            const QByteArray block(size, 'x');
            while (filler.write(block) == block.size()) {
            }
        }
        QCOMPARE(QStorageInfo(m_mountPoint.path()).bytesAvailable(), qint64(0));
    }
};

void TestFullDisk::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("needs root to mount a small tmpfs");
    QVERIFY(m_mountPoint.isValid());
    m_mounted = ::mount("tmpfs", qPrintable(m_mountPoint.path()), "tmpfs", 0, "size=1m") == 0;
    if (!m_mounted)
        QSKIP("this machine does not allow mounting a tmpfs");
}

void TestFullDisk::cleanupTestCase()
{
    if (m_mounted) {
        Database::instance().close();
        ::umount(qPrintable(m_mountPoint.path()));
    }
}

void TestFullDisk::savesOnAFullDisk()
{
    // The application folder lives on the small file system.
    const QString folder = m_mountPoint.filePath("shop");
    QVERIFY(QDir().mkpath(folder + "/qexclient"));
    setAppFolder(folder);
    Database::instance().close();
    QVERIFY(createDeliveredDatabase(folder + "/system32.dll", nullptr));
    QVERIFY(saveSetup({true, "Old Shop", "$"}));
    QVERIFY(writeBuyerList({"A1", "Window"}));
    QVERIFY(backupDatabase(folder + "/old.DBK"));
    QString error;
    const auto workbook = newWorkbookFile(kReportSheet, {reportColumnTitles()}, &error);
    QVERIFY2(workbook, qPrintable(error));
    QVERIFY(writeFileAtomically(folder + "/report.rpt", *workbook));
    QVERIFY(exportReport(folder + "/report.rpt", folder + "/old.xls", {{"2009-7-5", "Cola", "4Unit(s)", "$2.5", "2.8"}})
                .ok);

    const QByteArray setupBefore = test::fileBytes(folder + "/setup.dat");
    const QByteArray buyersBefore = test::fileBytes(buyerListPath());
    const QByteArray backupBefore = test::fileBytes(folder + "/old.DBK");
    const QByteArray exportBefore = test::fileBytes(folder + "/old.xls");

    fillDisk();

    QVERIFY(!saveSetup({false, QString(8000, 'n'), "EUR"}, &error));
    QCOMPARE(test::fileBytes(folder + "/setup.dat"), setupBefore);
    QVERIFY(loadSetup());
    QCOMPARE(runValues().shopName, QStringLiteral("Old Shop"));

    QStringList many;
    for (int i = 0; i < 2000; ++i)
        many.append(QStringLiteral("buyer%1").arg(i));
    QVERIFY(!writeBuyerList(many, &error));
    QCOMPARE(test::fileBytes(buyerListPath()), buyersBefore);

    QVERIFY(!backupDatabase(folder + "/old.DBK", &error));
    QCOMPARE(test::fileBytes(folder + "/old.DBK"), backupBefore);

    biff::TextRows rows;
    for (int i = 0; i < 3000; ++i)
        rows.push_back({"2009-7-5", QStringLiteral("Product %1").arg(i), "4Unit(s)", "$2.5", "2.8"});
    QVERIFY(!exportReport(folder + "/report.rpt", folder + "/old.xls", rows).ok);
    QCOMPARE(test::fileBytes(folder + "/old.xls"), exportBefore);

    // No half-written temporary file is left behind to eat the space.
    QStringList leftovers = QDir(folder).entryList(QDir::Files);
    leftovers.sort();
    QCOMPARE(leftovers, (QStringList{"old.DBK", "old.xls", "report.rpt", "setup.dat", "system32.dll"}));
    QFile::remove(m_mountPoint.filePath("filler"));
}

QTEST_GUILESS_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
