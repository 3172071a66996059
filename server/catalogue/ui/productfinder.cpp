#include "catalogue/ui/productfinder.h"

#include "app/ui/frmmain.h"
#include "catalogue/productlistmodel.h"
#include "controls/ui/xpcontainer.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShortcut>
#include <QTreeView>

namespace marvono {

ProductFinder::ProductFinder(FrmMain& main, QWidget* tools, ProductListModel* model)
    : QObject(&main), m_main(main), m_model(model)
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
    m_notice->setPalette(red);
    m_notice->setCursor(Qt::PointingHandCursor);
    m_notice->installEventFilter(this);
    m_notice->hide();
    connect(m_model, &ProductListModel::filled, this, &ProductFinder::updateNotice);

    auto* find = new QShortcut(QKeySequence::Find, &main);
    connect(find, &QShortcut::activated, this, [this]() {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &main);
    connect(escape, &QShortcut::activated, this, &ProductFinder::showEverything);
}

void ProductFinder::showEverything()
{
    m_search->clear();
    m_model->setFilter(QString(), false);
}

void ProductFinder::toggleLowStock()
{
    m_model->setFilter(m_search->text(), !m_model->lowStockOnly());
}

void ProductFinder::searchTextChanged(const QString& text)
{
    m_model->setFilter(text, m_model->lowStockOnly());
}

void ProductFinder::sellSingleMatch()
{
    if (m_model->rowCount() != 1)
        return;
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
            m_model->setFilter(m_search->text(), false);
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
