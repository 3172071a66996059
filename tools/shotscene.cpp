#include "shotscene.h"

#include "app/ui/mainwindow.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTreeView>

namespace marvono {

void dressMainWindowForPicture(MainWindow* window)
{
    QTreeView* list = window->productList();
    QAbstractItemModel* model = list->model();
    for (int row = 0; model && row < model->rowCount(); ++row) {
        if (model->index(row, 6).data().toInt() <= 0)
            continue;
        list->setFocus();
        list->setCurrentIndex(model->index(row, 0));
        list->selectionModel()->select(model->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        window->runCommand(Command::ProductClicked);
        break;
    }
    window->historyPane()->setPlainText(
        QStringLiteral("\r\n==============================\r\nProduct Name: Green Tea\r\nPrice: $2.5\r\n"
                       "Total: $5\r\nQuantity: 2\r\nTime: 2026-12-07 14:05:09"));
    // The sample shop lives in a temporary folder; the picture shows where an installed till keeps it.
    if (auto* where = window->findChild<QLabel*>(QStringLiteral("lblWhere")))
        where->setText(QStringLiteral("Database on this computer: /home/shop/.local/share/marvono/system32.dll"));
}

} // namespace marvono
