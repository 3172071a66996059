#pragma once
// Catalogue test helpers: answering message boxes in sequence, selecting rows of LV, picture files.
#include <QColor>
#include <QFileDialog>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "support/testsupport.h"

namespace marvono {
class MainWindow;
}

namespace marvono::test {

// Answers the next message boxes in turn, one answer each, and records what each showed.
// Call before the action that opens them.
class BoxSequence {
  public:
    explicit BoxSequence(const QList<QMessageBox::StandardButton>& answers);
    ~BoxSequence();
    const QList<SeenBox>& boxes() const { return *m_seen; }

  private:
    std::shared_ptr<QList<SeenBox>> m_seen;
    QPointer<QTimer> m_timer;
};

// Makes the row whose first column is `name` the current and only selected row of LV.
bool selectProduct(MainWindow& main, const QString& name);
// The first-column texts of LV in list order.
QStringList listedProducts(MainWindow& main);

// Picture files for the tests: a solid-colour picture in the given format ("BMP", "JPEG" or
// "GIF"), whatever the file name says. GIF is written from bytes, since Qt only reads it.
bool writeSolidPicture(const QString& path, const QColor& color, const char* format, int side = 8);
// The colour in the middle of a picture file read by content; invalid when it cannot be read.
QColor pictureColor(const QString& path);
// Whether two colours are within a few steps of each other (JPEG is lossy).
bool nearColor(const QColor& a, const QColor& b);

} // namespace marvono::test
