#include "app/ui/frmmain.h"

#include "app/appcontext.h"
#include "bills/buyerlist.h"
#include "controls/ui/xpcontainer.h"
#include "data/recordset.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>

namespace marvono {

namespace {
FrmMain* g_instance = nullptr;
}

struct FrmMain::Private {
    CommandTable commands;
    QTreeView* list = nullptr;
    QStandardItemModel* model = nullptr;
    QPlainTextEdit* history = nullptr;
    QComboBox* buyers = nullptr;
    QLabel* picture = nullptr;
    QTimer* timer = nullptr;
};

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent), d(new Private)
{
    g_instance = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Marvono V1.0.1"));
    auto* central = new QWidget(this);
    setCentralWidget(central);
    d->list = new QTreeView(central);
    d->list->setObjectName(QStringLiteral("LV"));
    d->model = new QStandardItemModel(0, 7, d->list);
    d->list->setModel(d->model);
    d->list->setRootIsDecorated(false);
    d->list->setSelectionBehavior(QAbstractItemView::SelectRows);
    d->history = new QPlainTextEdit(central);
    d->history->setObjectName(QStringLiteral("txtInfo"));
    d->buyers = new QComboBox(central);
    d->buyers->setObjectName(QStringLiteral("cmbTable"));
    d->buyers->hide();
    d->picture = new QLabel(central);
    d->picture->setObjectName(QStringLiteral("picProduct"));
    d->timer = new QTimer(this);
    d->timer->setObjectName(QStringLiteral("Timer1"));
    d->timer->setSingleShot(true);
    d->timer->setInterval(200);
    connect(d->timer, &QTimer::timeout, this, [this]() {
        fillProductList();
        setEnabled(true);
    });
    registerAllCommands(d->commands);
}

FrmMain::~FrmMain()
{
    if (g_instance == this)
        g_instance = nullptr;
    delete d;
}

FrmMain* FrmMain::instance()
{
    return g_instance;
}

bool FrmMain::load(QLabel*)
{
    reloadBuyerCombo();
    return fillProductList();
}

QTreeView* FrmMain::productList() const { return d->list; }
QPlainTextEdit* FrmMain::historyPane() const { return d->history; }
QComboBox* FrmMain::buyerCombo() const { return d->buyers; }
QLabel* FrmMain::pictureBox() const { return d->picture; }
QTimer* FrmMain::refreshTimer() const { return d->timer; }
CommandTable& FrmMain::commands() { return d->commands; }

QString FrmMain::selectedProductName() const
{
    const QModelIndexList rows = d->list->selectionModel()->selectedRows(0);
    if (rows.isEmpty())
        return {};
    // The last selected row in list order wins.
    QModelIndex last = rows.first();
    for (const QModelIndex& index : rows)
        if (index.row() > last.row())
            last = index;
    return last.data().toString();
}

QStringList FrmMain::currentRowTexts() const
{
    const QModelIndex current = d->list->currentIndex();
    if (!current.isValid())
        return {};
    QStringList texts;
    for (int c = 0; c < d->model->columnCount(); ++c)
        texts.append(d->model->index(current.row(), c).data().toString());
    return texts;
}

void FrmMain::reloadBuyerCombo()
{
    d->buyers->clear();
    d->buyers->addItems(readBuyerList());
}

void FrmMain::requestRefresh(bool disableWindow)
{
    d->model->removeRows(0, d->model->rowCount());
    if (disableWindow)
        setEnabled(false);
    d->timer->start();
}

bool FrmMain::fillProductList()
{
    auto set = ExecSQL(QStringLiteral("select * from product_info"));
    if (!set)
        return false;
    const QString symbol = runValues().currencySymbol;
    for (; !set->isEof(); set->moveNext()) {
        QList<QStandardItem*> row;
        row << new QStandardItem(set->text(0)) << new QStandardItem(symbol + set->text(1))
            << new QStandardItem(set->text(2) + QStringLiteral("Unit(s)")) << new QStandardItem(symbol + set->text(3))
            << new QStandardItem(set->text(4) + QStringLiteral("Unit(s)")) << new QStandardItem(set->text(6))
            << new QStandardItem(set->text(7));
        d->model->appendRow(row);
    }
    return true;
}

void FrmMain::runCommand(Command command)
{
    d->commands.run(command, *this);
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
}

} // namespace marvono
