#include "bills/ui/buyerlistdialog.h"

#include "bills/buyerlist.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "controls/ui/xpcontainer.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace marvono {

BuyerListDialog::BuyerListDialog(QWidget* parent) : QDialog(parent)
{
    buildControls();
    load();
}

void BuyerListDialog::buildControls()
{
    setObjectName(QStringLiteral("frmTable"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(XPContainer::twips(0, 0, 6300, 4800).size());

    // This window keeps the container's design look: no theme is applied.
    auto* container = new XPContainer(this, QStringLiteral("Buyer"));
    container->setObjectName(QStringLiteral("XPContainer1"));
    container->setGeometry(rect());

    auto* listLabel = new QLabel(QStringLiteral("Buyer:"), container);
    listLabel->setObjectName(QStringLiteral("Label2"));
    listLabel->setGeometry(XPContainer::twips(240, 480, 2400, 300));
    m_list = new QListWidget(container);
    m_list->setObjectName(QStringLiteral("lstTable"));
    m_list->setGeometry(XPContainer::twips(240, 780, 3600, 3735));

    auto* nameLabel = new QLabel(QStringLiteral("Buyer ID(Please don't input space):"), container);
    nameLabel->setObjectName(QStringLiteral("Label3"));
    nameLabel->setGeometry(XPContainer::twips(3960, 480, 2220, 600));
    nameLabel->setWordWrap(true);
    m_name = new QLineEdit(container);
    m_name->setObjectName(QStringLiteral("txtTable"));
    m_name->setGeometry(XPContainer::twips(3960, 1140, 2100, 330));

    struct ButtonDesign {
        const char* name;
        const char* caption;
        void (BuyerListDialog::*handler)();
    };
    static const ButtonDesign buttons[] = {
        {"cmdadd", "  Add New  ", &BuyerListDialog::addNew},
        {"cmdupdate", "   Update   ", &BuyerListDialog::update},
        {"cmddel", "   Delete   ", &BuyerListDialog::remove},
        {"cmdExit", "    Leave    ", &BuyerListDialog::leave},
    };
    int top = 1800;
    for (const ButtonDesign& design : buttons) {
        QPushButton* button =
            makeButton(container, QString::fromLatin1(design.name), QString::fromLatin1(design.caption));
        button->setGeometry(XPContainer::twips(4200, top, 1620, 450));
        connect(button, &QPushButton::clicked, this, design.handler);
        top += 660;
    }
    pressOnEnter(m_name, findChild<QPushButton*>(QStringLiteral("cmdadd")));
    pressOnEscape(this, findChild<QPushButton*>(QStringLiteral("cmdExit")));
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (m_list->count() > 0 && item)
            m_name->setText(item->text());
    });
}

void BuyerListDialog::load()
{
    m_list->addItems(readBuyerList());
}

bool BuyerListDialog::nameAccepted()
{
    switch (checkBuyerName(m_name->text())) {
    case BuyerNameProblem::None:
        return true;
    case BuyerNameProblem::Blank:
        warn(this, QStringLiteral("Warning"), QStringLiteral("Space is not allowed in table name box"));
        return false;
    case BuyerNameProblem::DoubleQuote:
        warn(this, QStringLiteral("Warning"), QStringLiteral("Double quote is not allowed in table name box"));
        return false;
    }
    return false;
}

void BuyerListDialog::addNew()
{
    if (nameAccepted())
        m_list->addItem(m_name->text());
}

void BuyerListDialog::update()
{
    if (!nameAccepted())
        return;
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty())
        selected.first()->setText(m_name->text());
}

void BuyerListDialog::remove()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    delete m_list->takeItem(m_list->row(selected.first()));
    // Nothing is selected afterwards, so a second Delete does not take the neighbour.
    m_list->clearSelection();
    m_list->setCurrentRow(-1);
}

void BuyerListDialog::leave()
{
    close();
}

void BuyerListDialog::closeEvent(QCloseEvent* event)
{
    QStringList buyers;
    for (int row = 0; row < m_list->count(); ++row)
        buyers.append(m_list->item(row)->text());
    // A failed write keeps the old file whole; the combo is then reloaded from it.
    writeBuyerList(buyers);
    if (ShopWindow* main = ShopWindow::current())
        main->reloadBuyerCombo();
    QDialog::closeEvent(event);
}

} // namespace marvono
