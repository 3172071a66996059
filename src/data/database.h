#pragma once
// The one connection to the shop database: the encrypted system32.dll in the application
// folder, or the shop server that shopserver.conf there names.
#include "data/shopserver.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace marvono {

class Engine;
class SqliteEngine;
class PgEngine;

inline constexpr char kDatabaseFile[] = "system32.dll";
inline constexpr char kDatabasePassword[] = "korbelant";

// Owns the process-wide connection. The key derivation of an encrypted database costs tens of
// milliseconds and a server connection a round trip or more, so the connection is opened once
// (lazily) and shared by every statement; a change written through it is therefore visible to
// every statement run after it.
class Database {
  public:
    static Database& instance();

    // The database file: the application folder followed by system32.dll.
    QString filePath() const;

    // The engine of the application folder, opened on first use: the shop server when
    // shopserver.conf is there, the embedded file otherwise. Nothing, and an error text, when the
    // file is missing or unreadable, or the server cannot be reached (never a fall-back to the
    // other engine).
    Engine* engine(QString* error);

    // Makes an engine around each engine the database opens; engine() then hands that one out
    // while the engine it wraps stays open. It must pass on every call, to trace or to alter
    // what the engine answers. An empty function hands out the engines themselves.
    using EngineDecorator = std::function<std::unique_ptr<Engine>(Engine&)>;
    void setEngineDecorator(EngineDecorator decorator);

    // True once the open engine is a shop server.
    bool isServerMode() const { return m_server != nullptr; }
    // Why the shop server named in shopserver.conf could not be used at the last attempt to open
    // the database (naming the server, never a password); empty when it could, or in embedded
    // mode.
    QString serverFailure() const { return m_serverFailure; }
    // True when the shop server's connection broke; the next statement connects again.
    bool connectionLost() const;
    // True when the last failed statement met a shop server too busy to answer in time (a lock
    // held elsewhere, a statement timeout): nothing of it was done.
    bool serverBusy() const;
    // True while a statement waits for the shop server or the connection to it is being made;
    // statements asked for meanwhile (from a timer, say) fail as busy and are better asked for
    // again later.
    bool isWaiting() const;
    // How long the last statement refused as busy waited for a row another till held, in
    // milliseconds; -1 when it did not fail on such a lock.
    int lockWaitMs() const;
    // The settings of the shop server in use; nothing in embedded mode.
    std::optional<ShopServerConfig> serverConfig() const;

    // The embedded file's connection, opened on first use; nothing (and an error text) when the
    // file is missing, not a database or has another key, or the shop is on a server.
    sqlite3* connection(QString* error);

    // Lets go of the connection, for instance before the file is replaced or when a test moves
    // to another application folder. The next statement opens it again.
    void close();

    bool inTransaction() const { return m_transactionDepth > 0; }

    // A prepared statement of the embedded file for one SQL text, kept for reuse while the
    // connection lives; it comes back reset with its bindings cleared. Nothing (and an error
    // text) on failure or in server mode.
    sqlite3_stmt* prepare(const QString& sql, QString* error);

  private:
    friend class Transaction;
    Database();
    ~Database();
    std::unique_ptr<SqliteEngine> m_embedded;
    std::unique_ptr<PgEngine> m_server;
    EngineDecorator m_decorator;
    std::unique_ptr<Engine> m_decorated; // what m_decorator made of the engine open now
    // The engine of the application folder as opened, undecorated.
    Engine* openEngine(QString* error);
    QString m_serverFolder; // the application folder the server connection was opened for
    QString m_serverFailure;
    bool m_connecting = false; // the windows are repainted meanwhile, so a timer may ask too
    // filePath() as last made, and the application folder it was made for: every statement
    // asks for it.
    mutable QString m_pathFolder;
    mutable QString m_path;
    int m_transactionDepth = 0;
};

// A failure message followed, on a line of its own, by why the shop server could not be used,
// when that is what failed; the message alone otherwise.
QString withServerFailure(const QString& message);

// Where the shop's data lives for this till, for the operator: the shop server's host and
// database, or this computer.
QString databaseInUse();

// Opens a database file with the program's password and checks that it can be read.
// Used for the live file and for checking a file before recovery.
sqlite3* openEncrypted(const QString& path, bool readOnly, QString* error);

// A write transaction around changes that belong together: committed by commit(), rolled back
// when it goes out of scope uncommitted. Nested transactions join the outermost one.
class Transaction {
  public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; }
    QString errorText() const { return m_error; }
    // Until the outermost transaction ends, every other till writing under the same key waits
    // here: taken before a read that the writes depend on, it keeps two tills from acting on the
    // same stale value. False, with errorText(), when the lock cannot be taken.
    bool lock(const QString& key);
    // Until the outermost transaction ends, the rows of `table` whose `column` equals `value`
    // are this till's: another till's write to them, or its lockRows() on them, waits. Taken
    // before reading the rows, the read then sees every write committed before. Table and
    // column are names from the code, never from input.
    bool lockRows(const QString& table, const QString& column, const QVariant& value);
    // The writes from here on may be held back and sent to a shop server together, in one round
    // trip, by sendWrites() or the commit; one that fails then fails that step with its reason.
    // Only after the last read they depend on.
    void batchWrites();
    bool sendWrites();
    bool commit();

  private:
    bool m_active = false;
    bool m_outermost = false;
    bool m_done = false;
    QString m_error;
};

} // namespace marvono
