#include "app/ui/loginwindow.h"

#include "app/appcontext.h"
#include "app/instance.h"
#include "app/settings.h"
#include "app/ui/helpwindow.h"
#include "app/ui/mainwindow.h"
#include "app/ui/splashwindow.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"
#include "settings/login.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QTimer>

namespace marvono {
namespace {

// A key over a padlock, drawn rather than shipped.
QPixmap loginArtwork(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 64.0;
    painter.scale(s, s);
    painter.setPen(QPen(QColor(0x5a, 0x5a, 0x66), 5));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(18, 6, 28, 30), 0, 180 * 16);
    painter.drawLine(QPointF(18, 21), QPointF(18, 28));
    painter.drawLine(QPointF(46, 21), QPointF(46, 28));
    QLinearGradient body(0, 28, 0, 60);
    body.setColorAt(0, QColor(0xf5, 0xc9, 0x4a));
    body.setColorAt(1, QColor(0xc8, 0x8a, 0x12));
    painter.setPen(QPen(QColor(0x8a, 0x5a, 0x12), 2));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(10, 28, 44, 32), 5, 5);
    painter.setBrush(QColor(0x4a, 0x30, 0x08));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(28, 37, 8, 8));
    painter.drawRect(QRectF(30.5, 43, 3, 9));
    return pixmap;
}

} // namespace

LoginWindow::LoginWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("QEX - Login"));
    const QRect area = XPContainer::twips(0, 0, 5535, 3240);
    setFixedSize(area.size());

    m_frame = new XPContainer(this, QStringLiteral("Login (Default Username and PWD are \"vetch\")"));
    m_frame->setObjectName(QStringLiteral("XPContainer1"));
    m_frame->setGeometry(area);

    m_image = makeLabel(m_frame, QStringLiteral("Image1"), QString(), XPContainer::twips(300, 600, 960, 960));
    m_image->setPixmap(loginArtwork(m_image->width()));

    makeLabel(m_frame, QStringLiteral("Label2"), QStringLiteral("username:"), XPContainer::twips(1440, 660, 1080, 255));
    m_user = makeLineEdit(m_frame, QStringLiteral("txtUserName"), XPContainer::twips(2520, 600, 2700, 330));
    makeLabel(m_frame, QStringLiteral("Label3"), QStringLiteral("password:"),
              XPContainer::twips(1440, 1140, 1080, 255));
    m_password = makeLineEdit(m_frame, QStringLiteral("txtPWD"), XPContainer::twips(2520, 1080, 2700, 330));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*', as in the preferences

    m_savePassword = new QCheckBox(m_frame);
    m_savePassword->setObjectName(QStringLiteral("chkSavePwd"));
    m_savePassword->setGeometry(XPContainer::twips(2520, 1590, 255, 255));
    m_savePasswordLabel = makeLabel(m_frame, QStringLiteral("Label1"), QStringLiteral("Auto-save password"),
                                    XPContainer::twips(2820, 1590, 2160, 255));
    // The label stands in for the check box's own text, so a click on it ticks the box too.
    m_savePasswordLabel->installEventFilter(this);

    m_ok = makeButton(m_frame, QStringLiteral("cmdOK"), QStringLiteral("Login"));
    m_ok->setGeometry(XPContainer::twips(2520, 2280, 1215, 420));
    m_cancel = makeButton(m_frame, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"));
    m_cancel->setGeometry(XPContainer::twips(4005, 2280, 1215, 420));

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    m_timer->setSingleShot(true);

    connect(m_ok, &QPushButton::clicked, this, &LoginWindow::login);
    connect(m_cancel, &QPushButton::clicked, this, []() { QCoreApplication::exit(0); });
    connect(m_timer, &QTimer::timeout, this, &LoginWindow::handOver);

    // The main window's F1 does not exist yet: help is reachable before the first login too.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &openHelp);
}

LoginWindow::~LoginWindow() = default;

void LoginWindow::load()
{
    // Theme step, then the saved login; the first failure ends the load.
    RunValues& values = runValues();
    values.themeIndex = 0;
    const std::optional<qint16> theme = readStyleTheme();
    if (!theme) {
        warn(this, QStringLiteral("error"), QStringLiteral("(LOGIN)Init error"));
        return;
    }
    values.themeIndex = *theme;
    m_frame->setTheme(values.themeIndex);

    const QString path = savedLoginPath();
    if (!QFileInfo::exists(path))
        return;
    m_savePassword->setChecked(true);
    const std::optional<SavedLogin> saved = readSavedLogin(path);
    if (!saved) {
        warn(this, QStringLiteral("error"), QStringLiteral("(LOGIN)Init error"));
        return;
    }
    m_user->setText(saved->user);
    m_password->setText(saved->password);
}

void LoginWindow::setControlsEnabled(bool enabled)
{
    m_ok->setEnabled(enabled);
    m_cancel->setEnabled(enabled);
    m_password->setEnabled(enabled);
    m_user->setEnabled(enabled);
}

void LoginWindow::login()
{
    setControlsEnabled(false);
    const QString user = m_user->text();
    const QString password = m_password->text();
    bool owner = false;
    switch (checkLogin(user, password, &owner)) {
    case LoginCheck::Invalid:
        warn(this, QStringLiteral("Warning"), QStringLiteral("Invalid username or password"));
        setControlsEnabled(true);
        return;
    case LoginCheck::Failure:
        // The window stays in its checking state: only closing it remains. A shop server that
        // could not be used may be reachable a moment later (the network, the server, the
        // password file mended), so that login may be tried again.
        warn(this, QStringLiteral("Error"),
             withServerFailure(QStringLiteral("Error!Please check the database file and system setup")));
        if (!Database::instance().serverFailure().isEmpty())
            setControlsEnabled(true);
        return;
    case LoginCheck::Valid:
        break;
    }

    const QString path = savedLoginPath();
    const bool remembered =
        m_savePassword->isChecked() ? writeSavedLogin(path, {user, password}) : removeSavedLogin(path);
    if (!remembered) {
        warn(this, QStringLiteral("Error"),
             withServerFailure(QStringLiteral("Error!Please check the database file and system setup")));
        return;
    }
    runValues().currentUser = user;
    runValues().currentPassword = password;
    runValues().ownerRights = owner;

    // The splash is shown before the login window goes, so the program never has no window.
    m_splash = new SplashWindow;
    m_splash->setAttribute(Qt::WA_DeleteOnClose);
    m_splash->show();
    hide();
    m_timer->start();
}

void LoginWindow::handOver()
{
    m_timer->stop();
    auto* main = new MainWindow;
    main->show();
    main->load(m_splash ? m_splash->info() : nullptr);
    // The load closes the splash as its last step; after a failed load it would stay on top.
    if (m_splash)
        m_splash->close();
    deleteLater();
}

void LoginWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter anywhere in the window logs in, as the button does (nothing while it is disabled).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_ok->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool LoginWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_savePasswordLabel && event->type() == QEvent::MouseButtonRelease)
        m_savePassword->toggle();
    return QWidget::eventFilter(watched, event);
}

} // namespace marvono
