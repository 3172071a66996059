// The login window: the account check, the saved login, the failure messages and the hand-over.
#include "app/appcontext.h"
#include "app/instance.h"
#include "app/ui/loginwindow.h"
#include "app/ui/mainwindow.h"
#include "app/ui/modulemain.h"
#include "app/ui/splashwindow.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"
#include "data/recordset.h"
#include "settings/login.h"
#include "settings/operators.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <sys/stat.h>

using namespace marvono;
using test::BoxAnswerer;
using test::TempAppFolder;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void run(const QString& statement, const QVariantList& values = {})
{
    QString message;
    ExecSQL(statement, message, values);
    QVERIFY2(message.endsWith("Query successful!"), qPrintable(message));
}

// One login window over a fresh application folder, with its controls at hand.
struct Login {
    explicit Login(bool load = true) : window(new LoginWindow)
    {
        if (load)
            window->load();
        window->show();
    }
    ~Login() { delete window.data(); }
    QLineEdit* user() const { return window->findChild<QLineEdit*>("txtUserName"); }
    QLineEdit* password() const { return window->findChild<QLineEdit*>("txtPWD"); }
    QCheckBox* save() const { return window->findChild<QCheckBox*>("chkSavePwd"); }
    QPushButton* ok() const { return window->findChild<QPushButton*>("cmdOK"); }
    QPushButton* cancel() const { return window->findChild<QPushButton*>("cmdCancel"); }
    QTimer* timer() const { return window->findChild<QTimer*>("Timer1"); }
    bool controlsEnabled() const
    {
        return ok()->isEnabled() && cancel()->isEnabled() && user()->isEnabled() && password()->isEnabled();
    }
    bool controlsDisabled() const
    {
        return !ok()->isEnabled() && !cancel()->isEnabled() && !user()->isEnabled() && !password()->isEnabled();
    }
    // Types the two texts and presses Login; the box that follows, if any, is answered and kept.
    test::SeenBox attempt(const QString& name, const QString& pwd, bool tick = false)
    {
        user()->setText(name);
        password()->setText(pwd);
        save()->setChecked(tick);
        BoxAnswerer answer;
        ok()->click();
        return answer.box();
    }
    QPointer<LoginWindow> window;
};

} // namespace

class TestLogin : public QObject {
    Q_OBJECT
  public Q_SLOTS:
    void urlOpened(const QUrl& url) { m_opened.append(url); }

  private Q_SLOTS:
    void init();
    void cleanup();

    void windowShowsItsControls();
    void wrongPasswordWarnsAndAllowsRetry();
    void typedValuesAreTrimmedStoredOnesAreNot();
    void comparisonIsCaseSensitive();
    void onlyFirstAccountCounts();
    void nullStoredValueNeverMatches();
    void operatorsLogInWithTheirRights();
    void unreadableAccountRefusesLogin_data();
    void unreadableAccountRefusesLogin();
    void tickedLoginIsSavedPrivately();
    void untickedLoginDeletesSavedFile();
    void invalidLoginLeavesSavedFileAlone();
    void unwritableSavedFileIsADatabaseError();
    void badStyleFileStopsLoad();
    void styleThemeReachesFrame();
    void unreadableSavedFileStopsLoad();
    void enterInPasswordBoxLogsIn();
    void mainWindowFollowsAboutOneSecondLater();
    void cancelEndsProgram();
    void startProgramRefusesSecondCopy();
    void helpKeyWorksBeforeLogin();

  private:
    QList<QUrl> m_opened;
    std::unique_ptr<TempAppFolder> m_folder;
    QString savedPath() const { return m_folder->file("config/marvono/fspwd.dll"); }
};

void TestLogin::init()
{
    test::logInAsShopOwner(true); // the tests add and delete accounts
    m_folder = std::make_unique<TempAppFolder>();
    QVERIFY(m_folder->isValid());
    writeFile(m_folder->file("qexclient/tables.dat"), "\"Table 1\"\r\n");
    setSavedLoginPath(savedPath());
}

void TestLogin::cleanup()
{
    delete MainWindow::instance();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<SplashWindow*>(w) || qobject_cast<LoginWindow*>(w))
            delete w;
    setSavedLoginPath(QString());
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    m_opened.clear();
    m_folder.reset();
}

void TestLogin::windowShowsItsControls()
{
    Login login;
    QCOMPARE(login.window->objectName(), QString("frmLogin"));
    QCOMPARE(login.window->windowTitle(), QString("QEX - Login"));
    auto* frame = login.window->findChild<XPContainer*>("XPContainer1");
    QVERIFY(frame);
    QCOMPARE(frame->caption(), QString("Login (Default Username and PWD are \"vetch\")"));
    QCOMPARE(login.window->findChild<QLabel*>("Label2")->text(), QString("username:"));
    QCOMPARE(login.window->findChild<QLabel*>("Label3")->text(), QString("password:"));
    QCOMPARE(login.window->findChild<QLabel*>("Label1")->text(), QString("Auto-save password"));
    QVERIFY(login.window->findChild<QLabel*>("Image1"));
    QCOMPARE(login.password()->echoMode(), QLineEdit::Password);
    QCOMPARE(login.ok()->text(), QString("Login"));
    QCOMPARE(login.cancel()->text(), QString("Cancel"));
    QVERIFY(!login.save()->isChecked());
    QVERIFY(login.user()->text().isEmpty() && login.password()->text().isEmpty());
    QVERIFY(!login.timer()->isActive());
    QCOMPARE(login.timer()->interval(), 1000);
    QVERIFY(login.timer()->isSingleShot());
    QVERIFY(login.controlsEnabled());
}

void TestLogin::wrongPasswordWarnsAndAllowsRetry()
{
    Login login;
    const test::SeenBox box = login.attempt("vetch", "wrong");
    QVERIFY(box.seen);
    QCOMPARE(box.title, QString("Warning"));
    QCOMPARE(box.text, QString("Invalid username or password"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(login.controlsEnabled());
    QCOMPARE(login.user()->text(), QString("vetch"));
    QCOMPARE(login.password()->text(), QString("wrong"));
    QVERIFY(login.window->isVisible());
    QVERIFY(!login.timer()->isActive());
    QVERIFY(runValues().currentUser.isEmpty());

    // The retry with the right password goes through.
    QVERIFY(!login.attempt("vetch", "vetch").seen);
    QVERIFY(login.timer()->isActive());
}

void TestLogin::typedValuesAreTrimmedStoredOnesAreNot()
{
    {
        Login login;
        QVERIFY(!login.attempt("  vetch ", " vetch  ").seen);
        QVERIFY(login.timer()->isActive());
        // The run keeps the texts as typed.
        QCOMPARE(runValues().currentUser, QString("  vetch "));
        QCOMPARE(runValues().currentPassword, QString(" vetch  "));
    }
    run("update user_info set cUser=?", {"vetch "});
    Login login;
    QCOMPARE(login.attempt("vetch", "vetch").text, QString("Invalid username or password"));
    // Trimming the typed text means a stored trailing blank can never be matched.
    QCOMPARE(login.attempt("vetch ", "vetch").text, QString("Invalid username or password"));
    // Only blanks are trimmed.
    run("update user_info set cUser=?", {"vetch"});
    QCOMPARE(login.attempt("\tvetch", "vetch").text, QString("Invalid username or password"));
}

void TestLogin::comparisonIsCaseSensitive()
{
    Login login;
    QCOMPARE(login.attempt("Vetch", "vetch").text, QString("Invalid username or password"));
    QCOMPARE(login.attempt("vetch", "VETCH").text, QString("Invalid username or password"));
    QVERIFY(login.controlsEnabled());
}

void TestLogin::onlyFirstAccountCounts()
{
    run("insert into user_info (cUser, cPwd) values (?, ?)", {"anna", "secret"});
    Login login;
    QCOMPARE(login.attempt("anna", "secret").text, QString("Invalid username or password"));
    QVERIFY(!login.attempt("vetch", "vetch").seen);
    QVERIFY(login.timer()->isActive());
}

void TestLogin::nullStoredValueNeverMatches()
{
    run("update user_info set cPwd=NULL");
    Login login;
    const test::SeenBox box = login.attempt("vetch", "");
    QCOMPARE(box.title, QString("Warning"));
    QCOMPARE(box.text, QString("Invalid username or password"));
    QVERIFY(login.controlsEnabled());
}

void TestLogin::operatorsLogInWithTheirRights()
{
    QString error;
    QVERIFY2(addOperator(" anna ", "s3cret", Role::Cashier, &error), qPrintable(error));
    auto stored = ExecSQL("select cName, cHash from marvono_operator");
    QVERIFY(stored && !stored->isEof());
    QCOMPARE(stored->text(0), QString("anna"));
    const QByteArray hash = stored->text(1).toLatin1();
    QVERIFY2(hash.startsWith("$argon2id$") && !hash.contains("s3cret"), hash.constData());
    QVERIFY(hashMatches(hash, "s3cret") && !hashMatches(hash, "s3creT") && !hashMatches("s3cret", "s3cret"));
    // A name is the owner's or one operator's, whatever the case of its letters.
    QVERIFY(!addOperator("Vetch", "x", Role::Cashier, &error) && error.contains("owner"));
    QVERIFY(!addOperator("ANNA", "x", Role::Owner, &error) && error.contains("already"));
    QVERIFY(!addOperator("ben", "", Role::Owner, &error));
    {
        Login login;
        QVERIFY(!login.attempt("anna ", "s3cret").seen);
        QVERIFY(!runValues().ownerRights);
    }
    QVERIFY(setOperatorActive("anna", false, &error));
    {
        Login login;
        QCOMPARE(login.attempt("anna", "s3cret").text, QString("Invalid username or password"));
    }
    QVERIFY2(setOperatorActive("anna", true, &error) && renameOperator("anna", "bob", &error) &&
                 setOperatorRole("bob", Role::Owner, &error) && setOperatorPassword("bob", "n3w", &error),
             qPrintable(error));
    QVERIFY(!renameOperator("anna", "carl", &error) && error.contains("no operator"));
    Login login;
    QCOMPARE(login.attempt("bob", "s3cret").text, QString("Invalid username or password"));
    QVERIFY(!login.attempt("bob", "n3w").seen);
    QVERIFY(runValues().ownerRights);
}

void TestLogin::unreadableAccountRefusesLogin_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("no account row") << "empty";
    QTest::newRow("no database file") << "nofile";
    QTest::newRow("no user table") << "notable";
    QTest::newRow("shop server out of reach") << "noserver";
}

void TestLogin::unreadableAccountRefusesLogin()
{
    QFETCH(QString, damage);
    if (damage == "empty")
        run("delete from user_info");
    else if (damage == "notable")
        ExecSQL("drop table user_info");
    else if (damage == "nofile") {
        MARVONO_EMBEDDED_ONLY();
        QVERIFY(QFile::remove(m_folder->file("system32.dll")));
    } else {
        if (!test::serverEngine())
            QSKIP("no shop server in embedded mode");
        Database::instance().close();
        QVERIFY(QFile::rename(m_folder->file("shopserver.conf"), m_folder->file("reachable.conf")));
        writeFile(m_folder->file("shopserver.conf"),
                  "connection=host=/nonexistent/till-socket port=5999 dbname=shop\n");
    }
    if (damage != "empty")
        QCOMPARE(test::rowsOf("select * from user_info"), QStringList{"<failed>"});

    Login login;
    const test::SeenBox box = login.attempt("vetch", "vetch", true);
    QCOMPARE(box.title, QString("Error"));
    // A server out of reach is named on a line of its own.
    const QStringList lines = box.text.split("\r\n");
    QCOMPARE(lines.first(), QString("Error!Please check the database file and system setup"));
    QCOMPARE(lines.size(), damage == "noserver" ? 2 : 1);
    QVERIFY2(damage != "noserver" || lines.last().contains("/nonexistent/till-socket"), qPrintable(box.text));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QVERIFY(!login.timer()->isActive());
    QVERIFY(!QFile::exists(savedPath()));
    if (damage == "noserver") {
        // Once the server is in reach, the same window logs in.
        QVERIFY(login.controlsEnabled() && QFile::remove(m_folder->file("shopserver.conf")));
        QVERIFY(QFile::rename(m_folder->file("reachable.conf"), m_folder->file("shopserver.conf")));
        QVERIFY(!login.attempt("vetch", "vetch").seen && login.timer()->isActive());
        return;
    }
    QVERIFY(login.controlsDisabled());
    // Enter does nothing while the window is stuck.
    QTest::keyClick(login.window, Qt::Key_Return);
    QVERIFY(!login.timer()->isActive());
}

void TestLogin::tickedLoginIsSavedPrivately()
{
    {
        Login login;
        QVERIFY(!login.attempt(" vetch ", "vetch", true).seen);
    }
    QCOMPARE(test::fileBytes(savedPath()), QByteArray("\" vetch \"\r\n\"vetch\"\r\n"));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(savedPath()).constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 0777), 0600);

    // The next start fills the boxes from it, blanks included.
    Login next;
    QVERIFY(next.save()->isChecked());
    QCOMPARE(next.user()->text(), QString(" vetch "));
    QCOMPARE(next.password()->text(), QString("vetch"));
}

void TestLogin::untickedLoginDeletesSavedFile()
{
    QVERIFY(writeSavedLogin(savedPath(), {"vetch", "vetch"}));
    Login login;
    QVERIFY(login.save()->isChecked());
    QVERIFY(!login.attempt("vetch", "vetch", false).seen);
    QVERIFY(!QFile::exists(savedPath()));
}

void TestLogin::invalidLoginLeavesSavedFileAlone()
{
    QVERIFY(writeSavedLogin(savedPath(), {"kept", "as is"}));
    const QByteArray before = test::fileBytes(savedPath());
    Login login;
    login.attempt("vetch", "nope", false);
    QCOMPARE(test::fileBytes(savedPath()), before);
    login.attempt("other", "nope", true);
    QCOMPARE(test::fileBytes(savedPath()), before);
}

void TestLogin::unwritableSavedFileIsADatabaseError()
{
    // A folder where the file should be can be neither replaced nor deleted.
    QVERIFY(QDir().mkpath(savedPath()));
    QVERIFY(QDir().mkpath(savedPath() + "/inside"));
    Login login(false);
    const test::SeenBox box = login.attempt("vetch", "vetch", true);
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.text, QString("Error!Please check the database file and system setup"));
    QVERIFY(login.controlsDisabled());
    QVERIFY(!login.timer()->isActive());
    QVERIFY(runValues().currentUser.isEmpty());
}

void TestLogin::badStyleFileStopsLoad()
{
    writeFile(m_folder->file("style.dat"), "\"blue\"\r\n");
    QVERIFY(writeSavedLogin(savedPath(), {"vetch", "vetch"}));
    runValues().themeIndex = 5;
    BoxAnswerer answer;
    Login login;
    QVERIFY(answer.wait());
    QCOMPARE(answer.box().title, QString("error"));
    QCOMPARE(answer.box().text, QString("(LOGIN)Init error"));
    QCOMPARE(answer.box().icon, QMessageBox::Warning);
    QCOMPARE(runValues().themeIndex, qint16(0));
    // The saved login is the step after the theme: skipped.
    QVERIFY(!login.save()->isChecked());
    QVERIFY(login.user()->text().isEmpty());
    QVERIFY(login.window->isVisible());
    QVERIFY(login.controlsEnabled());
}

void TestLogin::styleThemeReachesFrame()
{
    writeFile(m_folder->file("style.dat"), "2.5\r\n");
    Login login;
    QCOMPARE(runValues().themeIndex, qint16(2));
    QCOMPARE(login.window->findChild<XPContainer*>("XPContainer1")->theme(), 2);
}

void TestLogin::unreadableSavedFileStopsLoad()
{
    QVERIFY(QDir().mkpath(savedPath())); // exists, cannot be read as a file
    BoxAnswerer answer;
    Login login;
    QVERIFY(answer.wait());
    QCOMPARE(answer.box().text, QString("(LOGIN)Init error"));
    QCOMPARE(answer.box().title, QString("error"));
    QVERIFY(login.user()->text().isEmpty());
}

void TestLogin::enterInPasswordBoxLogsIn()
{
    Login login;
    login.user()->setText("vetch");
    login.password()->setText("vetch");
    login.password()->setFocus();
    QTest::keyClick(login.password(), Qt::Key_Return);
    QVERIFY(login.timer()->isActive());

    Login wrong;
    wrong.user()->setText("vetch");
    wrong.password()->setText("x");
    BoxAnswerer answer;
    QTest::keyClick(wrong.cancel(), Qt::Key_Enter);
    QVERIFY(answer.wait());
    QCOMPARE(answer.box().text, QString("Invalid username or password"));
}

void TestLogin::mainWindowFollowsAboutOneSecondLater()
{
    Login login;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!login.attempt("vetch", "vetch").seen);

    QVERIFY(!login.window->isVisible());
    SplashWindow* splash = login.window->splash();
    QVERIFY(splash);
    QVERIFY(splash->isVisible());
    QCOMPARE(splash->objectName(), QString("frmSplash"));
    QVERIFY(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    auto* info = splash->findChild<QLabel*>("lblinfo");
    QVERIFY(info);
    QCOMPARE(info->text(), QString("Initialize..."));
    QVERIFY(!MainWindow::instance());

    QPointer<SplashWindow> splashAlive(splash);
    QTRY_VERIFY_WITH_TIMEOUT(MainWindow::instance() && MainWindow::instance()->isVisible(), 10000);
    QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(MainWindow::instance()->objectName(), QString("frmMain"));
    QTRY_VERIFY(!splashAlive || !splashAlive->isVisible());
    QTRY_VERIFY(!login.window); // the login window is gone once it has handed over
}

void TestLogin::cancelEndsProgram()
{
    Login login;
    QEventLoop loop;
    QTimer::singleShot(0, login.cancel(), &QPushButton::click);
    QTimer::singleShot(10000, &loop, [&loop]() { loop.exit(7); });
    QCOMPARE(loop.exec(), 0);
}

void TestLogin::startProgramRefusesSecondCopy()
{
    const QString lock = QString("marvono-start-%1").arg(QCoreApplication::applicationPid());
    auto countLogins = []() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<LoginWindow*>(w) && w->isVisible() ? 1 : 0;
        return n;
    };
    // Temporary files of writes killed half-way go at the start; look-alikes and other files stay.
    const QStringList leftovers = {"setup.dat.a1B2c3", "qexclient/tables.dat.Zz9Yy8", "print.txt.000000"};
    const QStringList others = {"setup.dat.bak1",
                                "setup.dat.a1B2c3d",
                                "setup.dat.a1-2c3",
                                "notes.dat.a1B2c3",
                                "qexclient/pic/setup.dat.a1B2c3",
                                "SETUP.DAT.a1B2c3"};
    for (const QString& name : leftovers + others)
        writeFile(appPath(name), "x");
    QPointer<LoginWindow> first = startProgram(lock);
    QVERIFY(first);
    for (const QString& name : leftovers)
        QVERIFY2(!QFile::exists(appPath(name)), qPrintable(name));
    for (const QString& name : others)
        QVERIFY2(QFile::exists(appPath(name)), qPrintable(name));
    // A copy that finds the program running leaves the running copy's writes alone.
    writeFile(appPath("setup.dat.q7W8e9"), "x");
    QVERIFY(first->isVisible());
    QCOMPARE(helpFile(), appPath("tutorial.chm"));
    QCOMPARE(countLogins(), 1);
    QVERIFY(!startProgram(lock));
    QVERIFY(QFile::exists(appPath("setup.dat.q7W8e9")));
    QCOMPARE(countLogins(), 1);
    // It brings the running copy's main window back from minimised, to the front.
    MainWindow main;
    main.showMinimized();
    QVERIFY(!startProgram(lock));
    QTRY_VERIFY(!main.isMinimized() && main.isActiveWindow());
    // Another process would find the lock taken too.
    QVERIFY(!lockSingleInstance(lock));
    delete first.data();
}

void TestLogin::helpKeyWorksBeforeLogin()
{
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "urlOpened");
    writeFile(m_folder->file("tutorial.chm"), "help");
    registerHelpFile(QString());
    const QString lock = QString("marvono-help-%1").arg(QCoreApplication::applicationPid());
    QPointer<LoginWindow> login = startProgram(lock);
    QVERIFY(login);
    QVERIFY(QTest::qWaitForWindowActive(login));
    QTest::keyClick(login->findChild<QLineEdit*>("txtUserName"), Qt::Key_F1);
    QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(m_folder->file("tutorial.chm"))});
    delete login.data();
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
