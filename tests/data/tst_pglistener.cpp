// Hearing other tills' catalogue changes: the listener and the main window's refresh it drives.
#include "app/ui/mainwindow.h"
#include "bills/buyerlist.h"
#include "catalogue/ui/productlistmodel.h"
#include "data/pglistener.h"
#include "data/pgschema.h"
#include "support/catalogue_dialogs.h"
#include "support/pgserver.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <libpq-fe.h>

using namespace marvono;

class TestPgListener : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void hearsChangesAndComesBackAfterLoss();
    void mainWindowFollowsWhileSellDialogIsOpen();
    void listSurvivesEndedConnectionsAndRestart();

  private:
    bool pointAtShop(test::TempAppFolder& folder)
    {
        QFile conf(folder.file("shopserver.conf"));
        return conf.open(QIODevice::WriteOnly) && conf.write("connection=" + m_shop.toUtf8() + "\n") > 0;
    }
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
    QCOMPARE(heard.count(), 1);
    // Rows of other tables are not the catalogue.
    test::pgRows(m_shop, "insert into Bill (ctable) values ('Counter')");
    test::pgRows(m_shop, "insert into product_info (cName) values ('Tea')");
    QTRY_COMPARE(heard.count(), 2);

    // The server ends the connection: the listener comes back by itself and, having missed
    // whatever happened meanwhile, says so once.
    test::pgRows(m_shop, "select pg_terminate_backend(pid) from pg_stat_activity where query like 'LISTEN%'");
    QTRY_COMPARE(heard.count(), 3);
    QTRY_VERIFY(listener.isListening());
    test::pgRows(m_shop, "update product_info set cLeastQty = '3'");
    QTRY_COMPARE(heard.count(), 4);

    // A restore makes the table anew and fills it without a word: the listener notices.
    const QString restored = m_server.createDatabase("restored");
    test::pgRows(restored, "create table product_info (cName text)");
    ServerChangeListener quiet(restored, kProductsChannel);
    quiet.setCheckInterval(50);
    QSignalSpy remade(&quiet, &ServerChangeListener::changed);
    QTRY_COMPARE(remade.count(), 1);
    test::pgRows(restored, "drop table product_info; create table product_info (cName text)");
    QTRY_COMPARE(remade.count(), 2);
}

void TestPgListener::mainWindowFollowsWhileSellDialogIsOpen()
{
    test::TempAppFolder folder;
    QVERIFY(pointAtShop(folder));
    MainWindow window;
    QVERIFY(window.load());
    // On a shop server the till books to a buyer of its own, named after the computer.
    QCOMPARE(readBuyerList(), QStringList{QSysInfo::machineHostName()});
    QCOMPARE(chosenBuyer().name, QSysInfo::machineHostName());
    QSignalSpy refreshed(window.refreshTimer(), &QTimer::timeout);
    ServerChangeListener* listener = nullptr;
    QTRY_VERIFY((listener = window.findChild<ServerChangeListener*>()) && listener->isListening());
    // What changed between the first fill and listening is read once listening starts.
    QTRY_COMPARE(refreshed.count(), 1);

    test::pgRows(m_shop, "delete from product_info; insert into product_info (cName, cLeastQty) values ('Tea', '73')");
    QTRY_COMPARE(refreshed.count(), 2);

    // Another till sells while this one's sell dialog is open: the list follows, the dialog
    // keeps its product.
    QVERIFY(test::selectProduct(window, "Tea"));
    window.runCommand(Command::SellProduct);
    QWidget* dialog = nullptr;
    QTRY_VERIFY((dialog = QApplication::activeWindow()) && dialog->objectName() == "frmSCSP");
    test::pgRows(m_shop, "update product_info set cLeastQty = '72' where cName = 'Tea'");
    QTRY_COMPARE(window.productModel()->cellText(0, ProductListModel::RemainingQuantity), "72Unit(s)");
    QCOMPARE(dialog->findChild<QLineEdit*>("txtName")->text(), "Tea");
    dialog->close();
}

void TestPgListener::listSurvivesEndedConnectionsAndRestart()
{
    test::TempAppFolder folder;
    QVERIFY(pointAtShop(folder));
    test::pgRows(m_shop, "delete from product_info; insert into product_info (cName) values ('Tea')");
    MainWindow window;
    QVERIFY(window.load());
    auto* state = window.findChild<QLabel*>("lblServerState");
    QVERIFY(state && state->isHidden());
    QTRY_VERIFY(window.findChild<ServerChangeListener*>()->isListening());

    // Both of this till's connections are ended; another till then adds a product.
    test::pgRows(m_shop, "select pg_terminate_backend(pid) from pg_stat_activity where pid <> pg_backend_pid() "
                         "and datname = current_database()");
    test::pgRows(m_shop, "insert into product_info (cName) values ('Cake')");
    QTRY_COMPARE(window.productModel()->productCount(), 2);

    // While the server restarts the list stays and the operator is told; then it follows again.
    QVERIFY2(m_server.setDown(true), qPrintable(m_server.error()));
    QTRY_VERIFY(!state->isHidden());
    window.requestRefresh(false);
    QTRY_COMPARE(window.productModel()->productCount(), 2);
    QVERIFY2(m_server.setDown(false), qPrintable(m_server.error()));
    test::pgRows(m_shop, "insert into product_info (cName) values ('Milk')");
    QTRY_COMPARE_WITH_TIMEOUT(window.productModel()->productCount(), 3, 20000);
    QTRY_VERIFY(state->isHidden());

    // The server stops answering without closing anything (hung, or stopped): the till says so
    // within about 15 s, and follows again once it answers.
    QTRY_VERIFY(window.findChild<ServerChangeListener*>()->isListening());
    QFile postmaster(m_server.socketDir() + "/../data/postmaster.pid");
    QVERIFY(postmaster.open(QIODevice::ReadOnly));
    QStringList pids = test::pgRows(m_shop, "select pid from pg_stat_activity where application_name like 'Marvono%'");
    pids.append(QString::fromUtf8(postmaster.readLine()).trimmed());
    for (const QString& pid : pids)
        QCOMPARE(::kill(pid.toInt(), SIGSTOP), 0);
    QElapsedTimer waited;
    waited.start();
    window.requestRefresh(false);
    QTRY_VERIFY_WITH_TIMEOUT(!state->isHidden(), 40000);
    const qint64 noticedMs = waited.elapsed();
    for (const QString& pid : pids)
        ::kill(pid.toInt(), SIGCONT);
    QVERIFY2(noticedMs < 20000, qPrintable(QString::number(noticedMs)));
    QTRY_VERIFY_WITH_TIMEOUT(state->isHidden(), 30000);
}

QTEST_MAIN(TestPgListener)
#include "tst_pglistener.moc"
