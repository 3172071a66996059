#pragma once
// Shared test fixtures: a fresh application folder and answering message boxes.
#include "data/schema.h"
#include "support/faultyengine.h"
#include "support/testclock.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace marvono::test {

// True when this test program runs against a shop server (MARVONO_TEST_ENGINE=postgres): every
// fresh application folder then holds a shopserver.conf pointing at a fresh shop database on a
// private PostgreSQL server instead of the embedded file.
bool serverEngine();

// Makes a shop database in the empty database of `conninfo` as a shop's is made, by
// marvono-shopdb-init: the tills' role is the database's name and "_till".
bool initShopDatabase(const QString& conninfo);

// Under serverEngine() the program logs in as the tills' role, so every statement it makes meets
// the tills' rights; a test of what only the owner may do (recovery, deleting an account, renaming
// a table) has its application folders made from then on log in as the shop's owner.
void logInAsShopOwner(bool owner);

// A fresh temporary application folder with the delivered database (unless withDatabase is
// false), qexclient/{pic,info,bill} and a setup.dat; the program is pointed at it for the
// fixture's life. Under serverEngine() the database is a fresh one on the test server. An older
// `schemaVersion` makes a database as that version of the program left it.
class TempAppFolder {
  public:
    explicit TempAppFolder(bool withDatabase = true, int schemaVersion = kSchemaVersion);
    ~TempAppFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& relative) const;
    bool isValid() const { return m_valid; }

  private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

// What a message box showed.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool seen = false;
};

// Answers the next message box that becomes the active modal widget by pressing `answer`, and
// records what it showed. Call before the action that opens the box.
class BoxAnswerer {
  public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);
    ~BoxAnswerer();
    const SeenBox& box() const { return *m_seen; }
    bool wait(int ms = 5000) const; // true once a box was answered

  private:
    std::shared_ptr<SeenBox> m_seen;
    QPointer<QTimer> m_timer;
};

// Puts a shell script named `lp` that exits with `exitCode` (or, with `installed` false, no `lp`
// at all) alone on PATH for the fixture's life, and lets the real print command run. Each run
// appends its arguments as one line to calls() and says "lp: no default destination" on stderr.
class FakePrintCommand {
  public:
    explicit FakePrintCommand(int exitCode, bool installed = true);
    ~FakePrintCommand();
    QString callsPath() const { return m_dir.filePath(QStringLiteral("calls")); }

  private:
    QTemporaryDir m_dir;
    QByteArray m_oldPath;
};

// Ends a test case that is about the embedded file itself.
#define MARVONO_EMBEDDED_ONLY()                                                                                        \
    do {                                                                                                               \
        if (marvono::test::serverEngine())                                                                             \
            QSKIP("about the embedded database file");                                                                 \
    } while (false)

// Runs every row of a statement as texts (NULL as "<null>"), for compact assertions.
QStringList rowsOf(const QString& statement, const QVariantList& values = {});

// Bytes of a file, empty when missing.
QByteArray fileBytes(const QString& path);

} // namespace marvono::test
