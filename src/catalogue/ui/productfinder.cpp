#include "catalogue/ui/productfinder.h"

#include "catalogue/ui/productlistmodel.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "controls/ui/xpcontainer.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShortcut>
#include <QTreeView>
#include <utility>

namespace marvono {

ProductFinder::ProductFinder(ShopWindow& main, QWidget* tools, ProductListModel* model, CodeSeller sellCode)
    : QObject(main.mainWindow()), m_main(main), m_model(model), m_sellCode(std::move(sellCode))
{
    // In the free space between "Update" and "Exit".
    m_search = new QLineEdit(tools);
    m_search->setObjectName(QStringLiteral("txtSearch"));
    m_search->setGeometry(XPContainer::twips(9120, 540, 2700, 360));
    m_search->setPlaceholderText(QStringLiteral("Search"));
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, this, &ProductFinder::searchTextChanged);
    connect(m_search, &QLineEdit::returnPressed, this, &ProductFinder::sellSingleMatch);

    m_notice = new QLabel(tools);
    m_notice->setObjectName(QStringLiteral("lblLowStock"));
    m_notice->setGeometry(XPContainer::twips(11940, 570, 2160, 300));
    QPalette red = m_notice->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    red.setColor(QPalette::Window, red.color(QPalette::Base));
    m_notice->setPalette(red);
    m_notice->setCursor(Qt::PointingHandCursor);
    m_notice->installEventFilter(this);
    m_notice->hide();
    showNoticeState();
    connect(m_model, &ProductListModel::filled, this, &ProductFinder::updateNotice);

    auto* find = new QShortcut(QKeySequence::Find, main.mainWindow());
    connect(find, &QShortcut::activated, this, [this]() {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    onEscape(main.mainWindow(), this, [this]() { showEverything(); });
}

void ProductFinder::showEverything()
{
    m_search->clear();
    setLowStockOnly(false);
}

void ProductFinder::toggleLowStock()
{
    // The notice lists exactly what it counts: a search left in the box would hide some of them.
    const bool on = !m_model->lowStockOnly();
    m_search->clear();
    setLowStockOnly(on);
}

void ProductFinder::searchTextChanged(const QString& text)
{
    // Typing means looking for a product again, whatever the reorder list held.
    m_model->setFilter(text, false);
    showNoticeState();
}

void ProductFinder::setLowStockOnly(bool on)
{
    m_model->setFilter(m_search->text(), on);
    showNoticeState();
}

void ProductFinder::showNoticeState()
{
    const bool on = m_model->lowStockOnly();
    m_notice->setFrameStyle(on ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    m_notice->setAutoFillBackground(on);
    m_notice->setToolTip(on ? QStringLiteral("Only the products low on stock are listed: click to list everything")
                            : QStringLiteral("Click to list only the products low on stock"));
}

void ProductFinder::sellSingleMatch()
{
    if (m_sellCode(m_search->text())) {
        // The next scan replaces the code, and the list meanwhile shows the product it named.
        m_search->setFocus(Qt::OtherFocusReason);
        m_search->selectAll();
        return;
    }
    if (m_model->rowCount() != 1)
        return;
    const QString name = m_model->cellText(0, ProductListModel::Name);
    // An open sell dialog only comes to the front when asked again, still on its own product;
    // one for another product has booked nothing (a sale closes it) and gives way.
    if (auto* open = m_main.mainWindow()->findChild<QWidget*>(QStringLiteral("frmSCSP"))) {
        const auto* product = open->findChild<QLineEdit*>(QStringLiteral("Text1"));
        if (!product || product->text() != name || !open->isVisible())
            delete open;
    }
    QTreeView* list = m_main.productList();
    list->selectionModel()->setCurrentIndex(m_model->index(0, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_main.runCommand(Command::ProductClicked);
    m_main.runCommand(Command::SellProduct);
}

void ProductFinder::updateNotice()
{
    const int low = m_model->lowStockCount();
    if (low == 0) {
        // Nothing left to reorder: a list kept to low-stock products would stay empty for good.
        if (m_model->lowStockOnly())
            setLowStockOnly(false);
        m_notice->hide();
        return;
    }
    m_notice->setText(QString::number(low) + QStringLiteral(" low on stock"));
    m_notice->show();
}

bool ProductFinder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_notice && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        toggleLowStock();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace marvono
