#include "support/catalogue_dialogs.h"

#include "app/ui/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

namespace marvono::test {

BoxSequence::BoxSequence(const QList<QMessageBox::StandardButton>& answers) : m_seen(std::make_shared<QList<SeenBox>>())
{
    auto seen = m_seen;
    auto* timer = new QTimer;
    m_timer = timer;
    timer->setInterval(10);
    auto last = std::make_shared<QPointer<QMessageBox>>();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, seen, answers, last]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // A box stays the active modal widget for a moment after it was answered.
        if (!box || box == last->data())
            return;
        *last = box;
        SeenBox entry;
        entry.title = box->windowTitle();
        entry.text = box->text();
        entry.icon = box->icon();
        entry.buttons = box->standardButtons();
        entry.seen = true;
        const QMessageBox::StandardButton answer = answers.value(seen->size(), QMessageBox::Ok);
        seen->append(entry);
        if (seen->size() >= answers.size())
            timer->stop();
        if (QAbstractButton* button = box->button(answer))
            button->click();
        else
            box->reject();
    });
    timer->start();
}

BoxSequence::~BoxSequence()
{
    delete m_timer.data();
}

bool selectProduct(MainWindow& main, const QString& name)
{
    QTreeView* list = main.productList();
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (index.data().toString() == name) {
            list->selectionModel()->setCurrentIndex(index,
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            return true;
        }
    }
    return false;
}

QStringList listedProducts(MainWindow& main)
{
    QStringList names;
    const QAbstractItemModel* model = main.productList()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(model->index(row, 0).data().toString());
    return names;
}

bool writeSolidPicture(const QString& path, const QColor& color, const char* format, int side)
{
    if (qstrcmp(format, "GIF") == 0) {
        // A 1 x 1 GIF89a whose single pixel is palette entry 0.
        QByteArray bytes("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13);
        bytes += char(color.red());
        bytes += char(color.green());
        bytes += char(color.blue());
        bytes += QByteArray("\x00\x00\x00\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3B", 19);
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(color);
    return image.save(path, format, 100);
}

QColor pictureColor(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool nearColor(const QColor& a, const QColor& b)
{
    return a.isValid() && b.isValid() && qAbs(a.red() - b.red()) <= 8 && qAbs(a.green() - b.green()) <= 8 &&
           qAbs(a.blue() - b.blue()) <= 8;
}

} // namespace marvono::test
