// The connection file that points a till at a shop server.
#include "app/appcontext.h"
#include "data/database.h"
#include "data/pgengine.h"
#include "data/recordset.h"
#include "data/shopserver.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace marvono;

class TestShopServer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    void write(const QByteArray& text)
    {
        QFile file(m_dir.filePath(QStringLiteral("shopserver.conf")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

  private slots:
    void missingFileMeansEmbedded()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("shopserver.conf")));
        QString error = QStringLiteral("stale");
        QVERIFY(!readShopServerConfig(m_dir.path(), &error));
        QVERIFY(error.isEmpty());
        // A file named almost right is a mistake, never a reason to use the file on this computer.
        QFile misnamed(m_dir.filePath(QStringLiteral("ShopServer.conf")));
        QVERIFY(misnamed.open(QIODevice::WriteOnly));
        misnamed.close();
        QVERIFY(!readShopServerConfig(m_dir.path(), &error));
        QVERIFY2(error.contains(QStringLiteral("ShopServer.conf")), qPrintable(error));
        QVERIFY(misnamed.remove());
    }

    void readsSettings()
    {
        write("# the shop server\n\n connection = host=db.shop dbname=shop sslmode=require\n"
              "qexclient=/srv/shop/qexclient\n");
        QString error;
        const auto config = readShopServerConfig(m_dir.path(), &error);
        QVERIFY2(config, qPrintable(error));
        QCOMPARE(config->connection, QStringLiteral("host=db.shop dbname=shop sslmode=require"));
        QCOMPARE(config->qexclient, QStringLiteral("/srv/shop/qexclient"));
        // Only the first "=" splits, so a URI-style value survives whole.
        write("connection=postgresql://till@db/shop?sslmode=verify-full\n");
        QCOMPARE(readShopServerConfig(m_dir.path(), &error)->connection,
                 QStringLiteral("postgresql://till@db/shop?sslmode=verify-full"));
    }

    void refusesUnusableFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("no connection") << QByteArray("qexclient=/srv/q\n");
        QTest::newRow("unknown key") << QByteArray("connection=dbname=shop\nconection=x\n");
        QTest::newRow("no equals") << QByteArray("connection=dbname=shop\nqexclient\n");
        QTest::newRow("relative folder") << QByteArray("connection=dbname=shop\nqexclient=shared/q\n");
        QTest::newRow("bad libpq string") << QByteArray("connection=host='unterminated\n");
    }
    void refusesUnusableFiles()
    {
        QFETCH(QByteArray, text);
        write(text);
        QString error;
        QVERIFY(!readShopServerConfig(m_dir.path(), &error));
        QVERIFY(!error.isEmpty());
    }

    void describesServerWithoutSecrets()
    {
        const QString text = describeServer(QStringLiteral("host=db.shop port=5433 dbname=shop password=hunter2"));
        QVERIFY2(text.contains(QStringLiteral("db.shop:5433")) && text.contains(QStringLiteral("shop")),
                 qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("hunter2")));
        QVERIFY(describeServer(QStringLiteral("service=shop")).contains(QStringLiteral("service shop")));
    }

    void unreachableServerIsNamedAndNothingWritten();
    void oneConnectionAttemptAtATime();
    void statementsTranslatedForTheServer();
    void sharedClientFolder();
};

void TestShopServer::unreachableServerIsNamedAndNothingWritten()
{
    QTemporaryDir folder;
    setAppFolder(folder.path());
    Database::instance().close();
    QFile conf(folder.filePath("shopserver.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("connection=host=/nonexistent/till-socket port=5999 dbname=shop password=hunter2\n");
    conf.close();
    // libpq ignores a password file others may read and says so only on the terminal.
    QFile pass(folder.filePath("pgpass"));
    QVERIFY(pass.open(QIODevice::WriteOnly) && pass.setPermissions(pass.permissions() | QFile::ReadOther));
    qputenv("PGPASSFILE", pass.fileName().toUtf8());
    QString message;
    QVERIFY(!ExecSQL("select * from user_info", message));
    // libpq's reasons often end without a full stop; the password file's sentence is one of its own.
    QVERIFY(connectionFailureText("no password supplied", "dbname=shop").startsWith("no password supplied. The "));
    qunsetenv("PGPASSFILE");
    QVERIFY2(message.startsWith("Error:") && message.contains("/nonexistent/till-socket:5999"), qPrintable(message));
    QVERIFY2(message.contains(pass.fileName() + " was not read"), qPrintable(message));
    QVERIFY(!message.contains("hunter2"));
    QVERIFY(withServerFailure("Error!System Init Error").contains("/nonexistent/till-socket"));
    // No fall-back to an embedded file, nothing written beside the connection file.
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList{"pgpass", "shopserver.conf"}));
    Database::instance().close();
}

void TestShopServer::oneConnectionAttemptAtATime()
{
    // A server that takes connections and never answers, while the windows' timers run.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    int attempts = 0;
    connect(&silent, &QTcpServer::newConnection, [&]() {
        ++attempts;
        QTimer::singleShot(500, silent.nextPendingConnection(), &QTcpSocket::abort);
    });
    QTemporaryDir folder;
    setAppFolder(folder.path());
    Database::instance().close();
    QFile conf(folder.filePath("shopserver.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly) &&
            conf.write("connection=host=127.0.0.1 dbname=shop sslmode=disable gssencmode=disable port=" +
                       QByteArray::number(silent.serverPort())) > 0);
    conf.close();
    QString fromTimer;
    QTimer::singleShot(100, [&]() {
        if (Database::instance().isWaiting())
            ExecSQL("select * from user_info", fromTimer);
    });
    QVERIFY(!ExecSQL("select * from user_info"));
    QCOMPARE(attempts, 1);
    QVERIFY2(fromTimer.contains("busy"), qPrintable(fromTimer));
    Database::instance().close();
}

void TestShopServer::statementsTranslatedForTheServer()
{
    QCOMPARE(PgEngine::translate("select * from Bill where ctable=? and ctime=? order by rowid"),
             QByteArray("select * from Bill where ctable=$1 and ctime=$2 order by mv_key"));
    // Marks inside quotes are text, not slots; a word merely containing rowid stays.
    QCOMPARE(PgEngine::translate("update x set a='?', \"rowid?\"=? where myrowid=?"),
             QByteArray("update x set a='?', \"rowid?\"=$1 where myrowid=$2"));
    // A plain read of one table comes in the order its rows were added, as from the file.
    QCOMPARE(PgEngine::translate("select cName, cPic from product_info"),
             QByteArray("select cName, cPic from product_info ORDER BY mv_key"));
    QCOMPARE(PgEngine::translate("select distinct cType from product_info"),
             QByteArray("select distinct cType from product_info"));
    QCOMPARE(PgEngine::translate("select count(*) from Bill"), QByteArray("select count(*) from Bill"));
}

void TestShopServer::sharedClientFolder()
{
    QTemporaryDir shared, local;
    QFile conf(shared.filePath("shopserver.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("connection=dbname=shop\nqexclient=/srv/shop/qexclient\n");
    conf.close();
    setAppFolder(shared.path());
    QCOMPARE(qexclientPath("pic/3.jpg"), QStringLiteral("/srv/shop/qexclient/pic/3.jpg"));
    setAppFolder(local.path());
    QCOMPARE(qexclientPath("tables.dat"), local.filePath("qexclient/tables.dat"));
}

QTEST_MAIN(TestShopServer)
#include "tst_shopserver.moc"
