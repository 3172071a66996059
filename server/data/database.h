#pragma once
// The one connection to system32.dll, the encrypted database in the application folder.
#include <QHash>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace marvono {

inline constexpr char kDatabaseFile[] = "system32.dll";
inline constexpr char kDatabasePassword[] = "korbelant";

// Owns the process-wide connection. The key derivation of an encrypted database costs tens of
// milliseconds, so the connection is opened once (lazily) and shared by every statement;
// a change written through it is therefore visible to every statement run after it.
class Database {
public:
    static Database& instance();

    // The database file: the application folder followed by system32.dll.
    QString filePath() const;

    // The open connection, opened on first use; nothing (and an error text) when the file is
    // missing, not a database or has another key.
    sqlite3* connection(QString* error);

    // Lets go of the connection, for instance before the file is replaced or when a test moves
    // to another application folder. The next statement opens it again.
    void close();

    bool inTransaction() const { return m_transactionDepth > 0; }

    // A prepared statement for one SQL text, kept for reuse while the connection lives; it comes
    // back reset with its bindings cleared. Nothing (and an error text) on failure.
    sqlite3_stmt* prepare(const QString& sql, QString* error);

private:
    friend class Transaction;
    Database() = default;
    ~Database();
    sqlite3* m_db = nullptr;
    QString m_openedPath;
    QHash<QString, sqlite3_stmt*> m_statements;
    int m_transactionDepth = 0;
};

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
    bool commit();

private:
    bool m_active = false;
    bool m_outermost = false;
    bool m_done = false;
    QString m_error;
};

// Test hook: the n-th row write from now on (1 = the next) fails as if the engine refused it;
// 0 switches the fault off.
void injectWriteFault(int nthWrite);
bool consumeWriteFault();

} // namespace marvono
