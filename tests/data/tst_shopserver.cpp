// The connection file that points a till at a shop server.
#include "data/shopserver.h"

#include <QFile>
#include <QTemporaryDir>
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
};

QTEST_GUILESS_MAIN(TestShopServer)
#include "tst_shopserver.moc"
