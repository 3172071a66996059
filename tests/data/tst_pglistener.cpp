// Hearing other tills' catalogue changes: the listener and the main window's refresh it drives.
#include "app/ui/frmmain.h"
#include "data/pglistener.h"
#include "data/pgschema.h"
#include "support/pgserver.h"
#include "support/testsupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <libpq-fe.h>

using namespace marvono;

class TestPgListener : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void hearsChangesAndComesBackAfterLoss();
    void mainWindowRefreshesButNotDuringCatalogueDialog();

  private:
    test::PgTestServer m_server;
    QString m_shop;
};

void TestPgListener::initTestCase()
{
    MARVONO_START_PG(m_server);
    m_shop = m_server.createDatabase("shop");
    PGconn* conn = PQconnectdb(m_shop.toUtf8().constData());
    QString error;
    QVERIFY2(createShopSchema(conn, &error), qPrintable(error));
    PQfinish(conn);
}

void TestPgListener::hearsChangesAndComesBackAfterLoss()
{
    ServerChangeListener listener(m_shop, kProductsChannel);
    listener.setRetryInterval(20);
    QSignalSpy heard(&listener, &ServerChangeListener::changed);
    QTRY_VERIFY(listener.isListening());
    // Rows of other tables are not the catalogue.
    test::pgRows(m_shop, "insert into Bill (ctable) values ('Counter')");
    test::pgRows(m_shop, "insert into product_info (cName) values ('Tea')");
    QTRY_COMPARE(heard.count(), 1);

    // The server ends the connection: the listener comes back by itself and, having missed
    // whatever happened meanwhile, says so once.
    test::pgRows(m_shop, "select pg_terminate_backend(pid) from pg_stat_activity where query like 'LISTEN%'");
    QTRY_COMPARE(heard.count(), 2);
    QTRY_VERIFY(listener.isListening());
    test::pgRows(m_shop, "update product_info set cLeastQty = '3'");
    QTRY_COMPARE(heard.count(), 3);
}

void TestPgListener::mainWindowRefreshesButNotDuringCatalogueDialog()
{
    test::TempAppFolder folder;
    QFile conf(folder.file("shopserver.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("connection=" + m_shop.toUtf8() + "\n");
    conf.close();
    FrmMain window;
    QVERIFY(window.load());
    QSignalSpy refreshed(window.refreshTimer(), &QTimer::timeout);
    ServerChangeListener* listener = nullptr;
    QTRY_VERIFY((listener = window.findChild<ServerChangeListener*>()) && listener->isListening());
    QSignalSpy heard(listener, &ServerChangeListener::changed);

    test::pgRows(m_shop, "insert into product_info (cName) values ('From another till')");
    QTRY_COMPARE(refreshed.count(), 1);

    // While this till's add dialog is open a refresh would pull the list from under it.
    window.runCommand(Command::AddProduct);
    QWidget* dialog = nullptr;
    QTRY_VERIFY((dialog = QApplication::activeWindow()) && dialog->objectName() == "frmTJSP");
    test::pgRows(m_shop, "insert into product_info (cName) values ('Second')");
    // The window hears it first (it connected before the spy), and must hold the refresh back.
    QTRY_COMPARE(heard.count(), 2);
    QVERIFY(!window.refreshTimer()->isActive());
    QCOMPARE(refreshed.count(), 1);
    dialog->close();
    QTRY_COMPARE(refreshed.count(), 2);
}

QTEST_MAIN(TestPgListener)
#include "tst_pglistener.moc"
