#include "app/ui/helpwindow.h"

#include "app/instance.h"
#include "app/ui/artwork.h"
#include "controls/ui/dialogs.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace marvono {
namespace {
// Shows the guide as written for web browsers within what Qt's rich text understands.
class GuideBrowser : public QTextBrowser {
  public:
    explicit GuideBrowser(QWidget* parent) : QTextBrowser(parent)
    {
        // Long command lines wrap rather than widen the page.
        document()->setDefaultStyleSheet(QStringLiteral("pre { white-space: pre-wrap; }"));
    }
    QVariant loadResource(int type, const QUrl& name) override
    {
        QVariant resource = QTextBrowser::loadResource(type, name);
        if (type == QTextDocument::HtmlResource) {
            // Rich text knows no figures: one would run into the heading before it.
            QString html = QString::fromUtf8(resource.toByteArray());
            html.replace(QStringLiteral("<figure>"), QStringLiteral("<div>"));
            html.replace(QStringLiteral("</figure>"), QStringLiteral("</div>"));
            html.replace(QStringLiteral("<figcaption"), QStringLiteral("<p"));
            html.replace(QStringLiteral("</figcaption>"), QStringLiteral("</p>"));
            return html;
        }
        // The pictures are window-sized: shrunk to the page's width they read without scrolling.
        QImage picture;
        const int room = qMax(320, viewport()->width() - 2 * kPagePadding);
        if (type != QTextDocument::ImageResource || !picture.loadFromData(resource.toByteArray()) ||
            picture.width() <= room)
            return resource;
        return picture.scaledToWidth(room, Qt::SmoothTransformation);
    }

  private:
    static constexpr int kPagePadding = 60; // the guide's own margin and the page's
};
} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Marvono Help"));
    setWindowIcon(programIcon());
    resize(900, 680);

    m_browser = new GuideBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtGuide"));
    // Links out of the guide go to the desktop; its own pages and pictures stay here.
    m_browser->setOpenExternalLinks(true);

    auto button = [this](const char* name, const QString& caption, const char* themeIcon, QStyle::StandardPixmap icon) {
        QPushButton* b = makeButton(this, QString::fromLatin1(name), caption);
        b->setIcon(QIcon::fromTheme(QString::fromLatin1(themeIcon), style()->standardIcon(icon)));
        return b;
    };
    QPushButton* back = button("cmdBack", QStringLiteral("Back"), "go-previous", QStyle::SP_ArrowBack);
    QPushButton* forward = button("cmdForward", QStringLiteral("Forward"), "go-next", QStyle::SP_ArrowForward);
    QPushButton* home = button("cmdContents", QStringLiteral("Contents"), "go-home", QStyle::SP_DirHomeIcon);
    back->setEnabled(false);
    forward->setEnabled(false);
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);

    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("txtFind"));
    m_find->setPlaceholderText(QStringLiteral("Find in the guide (Ctrl+F)"));
    m_find->setClearButtonEnabled(true);
    QPushButton* previous = button("cmdFindPrevious", QStringLiteral("Previous"), "go-up", QStyle::SP_ArrowUp);
    QPushButton* next = button("cmdFindNext", QStringLiteral("Next"), "go-down", QStyle::SP_ArrowDown);
    next->setShortcut(QKeySequence::FindNext);
    previous->setShortcut(QKeySequence::FindPrevious);
    m_notFound = new QLabel(QStringLiteral("Not found"), this);
    m_notFound->setObjectName(QStringLiteral("lblNotFound"));
    m_notFound->hide();
    connect(m_find, &QLineEdit::textEdited, this, &HelpWindow::findTyped);
    connect(m_find, &QLineEdit::returnPressed, next, &QPushButton::click);
    connect(next, &QPushButton::clicked, this, [this]() { m_notFound->setVisible(!find(m_find->text())); });
    connect(previous, &QPushButton::clicked, this, [this]() { m_notFound->setVisible(!find(m_find->text(), true)); });
    onEscape(this, this, [this]() { close(); });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this]() {
        m_find->setFocus();
        m_find->selectAll();
    });

    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{back, forward, home})
        bar->addWidget(w);
    bar->addStretch();
    for (QWidget* w : std::initializer_list<QWidget*>{m_notFound, m_find, previous, next})
        bar->addWidget(w);
    m_find->setMinimumWidth(220);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser);
}

void HelpWindow::open(const QUrl& page)
{
    if (m_browser->source() != page)
        m_browser->setSource(page);
}

bool HelpWindow::find(const QString& text, bool backward)
{
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (m_browser->find(text, flags))
        return true;
    const QTextCursor before = m_browser->textCursor();
    QTextCursor from = before;
    from.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    m_browser->setTextCursor(from);
    if (m_browser->find(text, flags))
        return true;
    m_browser->setTextCursor(before);
    return false;
}

void HelpWindow::findTyped()
{
    // While typing, the match grows in place rather than jumping to the next one.
    QTextCursor cursor = m_browser->textCursor();
    cursor.setPosition(cursor.selectionStart());
    m_browser->setTextCursor(cursor);
    m_notFound->setVisible(!m_find->text().isEmpty() && !find(m_find->text()));
}

HelpWindow* showHelpPage(const QUrl& page)
{
    HelpWindow* help = showSingleDialog<HelpWindow>();
    help->open(page);
    return help;
}

void openHelp()
{
    const QString target = helpTarget();
    if (target.isEmpty())
        return;
    if (target == helpFile())
        QDesktopServices::openUrl(QUrl::fromLocalFile(target));
    else
        showHelpPage(QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()));
}

} // namespace marvono
