// The main window's ways out: the updater, help, the about box's addresses and quitting.
#include "app/appcontext.h"
#include "app/instance.h"
#include "app/ui/mainwindow.h"
#include "support/testsupport.h"

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

using namespace marvono;
using marvono::test::BoxAnswerer;
using marvono::test::TempAppFolder;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The guide on show in the help window, or nothing.
QTextBrowser* shownGuide()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QStringLiteral("frmHelp") && window->isVisible())
            return window->findChild<QTextBrowser*>(QStringLiteral("txtGuide"));
    return nullptr;
}

} // namespace

class TestMainWindowHelp : public QObject {
    Q_OBJECT
  public Q_SLOTS:
    void urlOpened(const QUrl& url) { m_opened.append(url); }

  private Q_SLOTS:
    void cleanup();
    void updater();
    void helpAndAboutAddresses();
    void quitCancelKeepsWindow();
    void quitOkClosesEveryWindow();

  private:
    QList<QUrl> m_opened;
};

void TestMainWindowHelp::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    m_opened.clear();
}

void TestMainWindowHelp::updater()
{
    TempAppFolder folder;
    MainWindow window;
    auto* update = window.findChild<QPushButton*>(QStringLiteral("cmdUpdate"));
    {
        BoxAnswerer answer;
        update->click();
        QVERIFY(answer.wait());
        QCOMPARE(answer.box().title, QStringLiteral("Error"));
        QCOMPARE(answer.box().text, QStringLiteral("Cannot find the Update file"));
        QCOMPARE(answer.box().icon, QMessageBox::Warning);
    }
    const QString marker = folder.file("updated");
    writeFile(folder.file("update.exe"), "#!/bin/sh\ntouch \"" + marker.toUtf8() + "\"\n");
    QFile::setPermissions(folder.file("update.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    update->click();
    QTRY_VERIFY(QFile::exists(marker));
}

void TestMainWindowHelp::helpAndAboutAddresses()
{
    TempAppFolder folder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "urlOpened");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "urlOpened");
    registerHelpFile(folder.file("tutorial.chm")); // as the start-up does
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAction* help = window.findChild<QAction*>(QStringLiteral("menuHelpTopics"));
    help->trigger();
    QTest::keyClick(&window, Qt::Key_F1);
    QVERIFY(m_opened.isEmpty()); // no help file: nothing happens

    // Without it the guide opens, pictures and all, in the program's own window: no browser needed.
    QVERIFY(QDir().mkpath(folder.file("guide/images")));
    QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(folder.file("guide/images/shelf.png")));
    writeFile(folder.file("guide/index.html"), "<h1>Selling a product</h1><img src=\"images/shelf.png\">");
    registerUserGuide(folder.file("guide/index.html"));
    QTest::keyClick(&window, Qt::Key_F1);
    QTextBrowser* guide = shownGuide();
    QVERIFY(guide && guide->toPlainText().contains("Selling a product"));
    QVERIFY(!guide->loadResource(QTextDocument::ImageResource, QUrl("images/shelf.png")).isNull());
    QVERIFY(m_opened.isEmpty());
    QVERIFY(QTest::qWaitForWindowActive(guide->window()));
    QTest::keyClick(guide, Qt::Key_Escape);
    QTRY_VERIFY(!shownGuide());
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    writeFile(folder.file("tutorial.chm"), "help");
    help->trigger();
    QTest::keyClick(&window, Qt::Key_F1);
    const QUrl expected = QUrl::fromLocalFile(folder.file("tutorial.chm"));
    QCOMPARE(m_opened, QList<QUrl>({expected, expected}));

    // No home page is configured in this build: the address lines lead to the guide's window.
    window.findChild<QAction*>(QStringLiteral("menuAbout"))->trigger();
    QWidget* about = nullptr;
    QTRY_VERIFY((about = window.findChild<QWidget*>(QStringLiteral("frmAbout"))));
    for (const char* line : {"lblWeb", "lblSales", "lblSupport"}) {
        auto* label = about->findChild<QLabel*>(QString::fromLatin1(line));
        QVERIFY2(!label->text().contains("example"), qPrintable(label->text()));
        QTest::mouseClick(label, Qt::LeftButton);
        QVERIFY((guide = shownGuide()));
        QCOMPARE(guide->source(), QUrl::fromLocalFile(folder.file("guide/index.html")));
        guide->window()->close();
    }
    QCOMPARE(m_opened.size(), 2);
}

void TestMainWindowHelp::quitCancelKeepsWindow()
{
    TempAppFolder folder;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    {
        BoxAnswerer answer(QMessageBox::Cancel);
        window.findChild<QPushButton*>(QStringLiteral("cmdExit"))->click();
        QVERIFY(answer.wait());
        QCOMPARE(answer.box().title, QStringLiteral("Confirm"));
        QCOMPARE(answer.box().text, QStringLiteral("Are you sure to quit ?"));
        QCOMPARE(answer.box().icon, QMessageBox::Warning);
        QCOMPARE(answer.box().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    }
    QVERIFY(window.isVisible());
    {
        BoxAnswerer answer(QMessageBox::Cancel);
        window.findChild<QAction*>(QStringLiteral("menuExit"))->trigger();
        QVERIFY(answer.wait());
        QCOMPARE(answer.box().text, QStringLiteral("Are you sure to quit ?"));
    }
    QVERIFY(window.isVisible());
    {
        BoxAnswerer answer(QMessageBox::Cancel);
        QVERIFY(!window.close());
        QVERIFY(answer.wait());
    }
    QVERIFY(window.isVisible());
    QVERIFY(window.isEnabled());
}

void TestMainWindowHelp::quitOkClosesEveryWindow()
{
    TempAppFolder folder;
    for (const char* way : {"cmdExit", "menuExit"}) {
        MainWindow window;
        QWidget other;
        window.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        BoxAnswerer answer(QMessageBox::Ok);
        if (auto* button = window.findChild<QPushButton*>(QString::fromLatin1(way)))
            button->click();
        else
            window.findChild<QAction*>(QString::fromLatin1(way))->trigger();
        QVERIFY(answer.wait());
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(!other.isVisible());
    }
}

QTEST_MAIN(TestMainWindowHelp)
#include "tst_mainwindowhelp.moc"
