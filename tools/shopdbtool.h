#pragma once
// What the two shop-server tools share: connecting and running statements with checked results.
#include <QString>
#include <QStringList>
#include <libpq-fe.h>

namespace marvono::tools {

// A server connection in UTF-8 with ISO dates, closed with the object.
class ServerConnection {
  public:
    explicit ServerConnection(const QString& conninfo);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    bool isOpen() const { return m_open; }
    PGconn* handle() const { return m_conn; }
    QString error() const { return m_error; }

    // Runs a statement that returns no rows; false with error() on failure.
    bool exec(const QByteArray& sql);
    // Runs a query; the caller clears the result. Nothing, with error(), on failure.
    PGresult* query(const QByteArray& sql);

  private:
    PGconn* m_conn = nullptr;
    bool m_open = false;
    QString m_error;
};

// Answers --help, -h and --version on the tool's command line: true, with the text printed, when
// one of them was given (the tool then exits 0). `usage` is the synopsis after "usage: ".
bool answerInfoOption(const QStringList& arguments, const char* usage, const char* summary);

// The shop's five tables, spelt as the program spells them.
const QStringList& shopTables();

} // namespace marvono::tools
