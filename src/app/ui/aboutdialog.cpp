#include "app/ui/aboutdialog.h"

#include "app/appcontext.h"
#include "app/instance.h"
#include "app/ui/helpwindow.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/xpcontainer.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>

namespace marvono {
namespace {

QString homePageAddress()
{
    return QString::fromUtf8(MARVONO_HOMEPAGE).trimmed();
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("about"));
    setModal(false);
    setFixedSize(XPContainer::twips(0, 0, 5700, 3750).size());

    auto* about = new XPContainer(this, QStringLiteral("About"));
    about->setObjectName(QStringLiteral("XPContainer1"));
    about->setGeometry(XPContainer::twips(90, 90, 5520, 1395));
    auto* info = new XPContainer(this, QStringLiteral("Infomation"));
    info->setObjectName(QStringLiteral("XPContainer2"));
    info->setGeometry(XPContainer::twips(90, 1560, 5520, 1395));
    about->setTheme(runValues().themeIndex);
    info->setTheme(runValues().themeIndex);

    auto label = [this](QWidget* container, const char* name, const QString& text, QRect place, bool link) {
        auto* l = new QLabel(text, container);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(place);
        if (link) {
            l->setCursor(Qt::PointingHandCursor);
            l->installEventFilter(this);
        }
        return l;
    };
    QLabel* product =
        label(about, "lblProduct", QStringLiteral("Marvono V1.0.1"), XPContainer::twips(240, 450, 5100, 360), false);
    QFont bold = product->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    product->setFont(bold);
    // Without a home page every line points to the user guide, rather than to made-up addresses.
    const QString homePage = homePageAddress();
    const QString web = homePage.isEmpty() ? QStringLiteral("Marvono user guide") : homePage;
    const QString contact = homePage.isEmpty() ? QStringLiteral("see the user guide") : homePage;
    label(about, "lblWeb", web, XPContainer::twips(240, 900, 5100, 300), true);
    label(info, "lblSalesCaption", QStringLiteral("  Sales:"), XPContainer::twips(150, 450, 1050, 300), false);
    label(info, "lblSales", contact, XPContainer::twips(1260, 450, 4100, 300), true);
    label(info, "lblSupportCaption", QStringLiteral("Support:"), XPContainer::twips(150, 870, 1050, 300), false);
    label(info, "lblSupport", contact, XPContainer::twips(1260, 870, 4100, 300), true);

    QPushButton* ok = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("O K"));
    ok->setGeometry(XPContainer::twips(4290, 3090, 1320, 465));
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    pressOnEscape(this, ok);
}

QUrl AboutDialog::address()
{
    const QString homePage = homePageAddress();
    if (!homePage.isEmpty())
        return QUrl(homePage);
    for (const QString& guide : {userGuide(), appPath(QStringLiteral("README.md")),
                                 QString::fromUtf8(MARVONO_DOCDIR) + QStringLiteral("/README.md")})
        if (QFileInfo::exists(guide))
            return QUrl::fromLocalFile(QFileInfo(guide).absoluteFilePath());
    return {};
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Every address line leads to the same place: a home page to the desktop's browser, the
    // guide to the program's own help window, which needs none.
    if (event->type() == QEvent::MouseButtonRelease && qobject_cast<QLabel*>(watched)) {
        const QUrl target = address();
        if (target.isLocalFile())
            showHelpPage(target);
        else if (!target.isEmpty())
            QDesktopServices::openUrl(target);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace marvono
