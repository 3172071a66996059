#pragma once
// What the two shop-server tools share: connecting and running statements with checked results.
#include <QString>
#include <QStringList>
#include <libpq-fe.h>
#include <optional>

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

// Answers --help, -h and --version on a tool's command line and refuses a wrong number of
// operands: the exit status when the tool stops there (0 after printing the help or version, 2
// after the usage line on stderr), nothing when it goes on. `usage` is the synopsis.
std::optional<int> commandLineExit(const QStringList& arguments, int operands, const char* usage, const char* summary);

} // namespace marvono::tools
