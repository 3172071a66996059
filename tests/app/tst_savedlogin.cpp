// The saved-login file and the single-instance lock.
#include "app/instance.h"
#include "settings/login.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

using namespace marvono;

namespace {
int modeOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}
} // namespace

class TestSavedLogin : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void writeCreatesPrivateFileInNewFolder();
    void overwriteReplacesLooserFile();
    void readKeepsBlanksAndNeedsTwoItems();
    void removeIsQuietWhenAbsent();
    void defaultPathIsInOperatorsConfig();
    void secondHolderOfLockIsRefused();
    void oldLockOfRunningHolderIsNotStale();
};

void TestSavedLogin::writeCreatesPrivateFileInNewFolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config/marvono/fspwd.dll");
    QString error;
    QVERIFY2(writeSavedLogin(path, {" shop keeper ", "p,w \"x"}, &error), qPrintable(error));
    QCOMPARE(test::fileBytes(path), QByteArray("\" shop keeper \"\r\n\"p,w \"x\"\r\n"));
    QCOMPARE(modeOf(path), 0600);
    QCOMPARE(modeOf(dir.filePath("config/marvono")), 0700);
    // Nothing but the file is left in the folder (no temporary copies holding the password).
    QCOMPARE(QDir(dir.filePath("config/marvono")).entryList(QDir::Files | QDir::Hidden), QStringList{"fspwd.dll"});
}

void TestSavedLogin::overwriteReplacesLooserFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("fspwd.dll");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("\"old\"\r\n\"older\"\r\n\"third\"\r\n");
    old.close();
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);

    QVERIFY(writeSavedLogin(path, {"vetch", ""}));
    QCOMPARE(test::fileBytes(path), QByteArray("\"vetch\"\r\n\"\"\r\n"));
    QCOMPARE(modeOf(path), 0600);
    const auto saved = readSavedLogin(path);
    QVERIFY(saved);
    QCOMPARE(saved->user, QString("vetch"));
    QCOMPARE(saved->password, QString(""));
}

void TestSavedLogin::readKeepsBlanksAndNeedsTwoItems()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("fspwd.dll");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\"  a b  \"\r\n\" pw \"\r\n");
    file.close();
    auto saved = readSavedLogin(path);
    QVERIFY(saved);
    QCOMPARE(saved->user, QString("  a b  "));
    QCOMPARE(saved->password, QString(" pw "));

    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("\"only\"\r\n");
    file.close();
    QString error;
    QVERIFY(!readSavedLogin(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!readSavedLogin(dir.filePath("missing.dll")));
}

void TestSavedLogin::removeIsQuietWhenAbsent()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("fspwd.dll");
    QVERIFY(removeSavedLogin(path));
    QVERIFY(writeSavedLogin(path, {"u", "p"}));
    QVERIFY(removeSavedLogin(path));
    QVERIFY(!QFile::exists(path));
}

void TestSavedLogin::defaultPathIsInOperatorsConfig()
{
    setSavedLoginPath(QString());
    QVERIFY(savedLoginPath().endsWith("/marvono/fspwd.dll"));
    QVERIFY(savedLoginPath().startsWith(QDir::homePath()) || qEnvironmentVariableIsSet("XDG_CONFIG_HOME"));
    setSavedLoginPath("/elsewhere/fspwd.dll");
    QCOMPARE(savedLoginPath(), QString("/elsewhere/fspwd.dll"));
    setSavedLoginPath(QString());
}

void TestSavedLogin::secondHolderOfLockIsRefused()
{
    const QString name = QString("marvono-test-%1").arg(QCoreApplication::applicationPid());
    auto first = lockSingleInstance(name);
    QVERIFY(first);
    QVERIFY(!lockSingleInstance(name));
    QVERIFY(lockSingleInstance(name + "-other"));
    first.reset();
    QVERIFY(lockSingleInstance(name));
}

void TestSavedLogin::oldLockOfRunningHolderIsNotStale()
{
    // A copy that has been running for hours still keeps the next one out.
    const QString name = QString("marvono-test-old-%1").arg(QCoreApplication::applicationPid());
    auto holder = lockSingleInstance(name);
    QVERIFY(holder);
    QFile lockFile(instanceLockPath(name));
    QVERIFY(lockFile.open(QIODevice::ReadWrite));
    QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-6 * 3600), QFileDevice::FileModificationTime));
    lockFile.close();
    QVERIFY(!lockSingleInstance(name));
}

QTEST_GUILESS_MAIN(TestSavedLogin)
#include "tst_savedlogin.moc"
