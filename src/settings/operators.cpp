#include "settings/operators.h"

#include "app/text.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"

#include <algorithm>
#include <sodium.h>

namespace marvono {
namespace {

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// The name of the owner's account (the first user_info row), which no operator may take.
std::optional<QString> ownerName(QString* error)
{
    auto account = ExecSQL(QStringLiteral("select * from user_info"));
    if (!account) {
        setError(error, QStringLiteral("The owner's account cannot be read."));
        return std::nullopt;
    }
    return account->isEof() ? QString() : account->text(0);
}

// Checks a new name against the owner and every operator but `except`.
bool nameIsFree(const QString& name, const QString& except, QString* error)
{
    if (name.isEmpty())
        return fail(error, QStringLiteral("An operator needs a name."));
    const auto owner = ownerName(error);
    const auto operators = readOperators(error);
    if (!owner || !operators)
        return false;
    if (name.compare(*owner, Qt::CaseInsensitive) == 0)
        return fail(error, QStringLiteral("\"%1\" is the owner's account.").arg(name));
    for (const Operator& known : *operators)
        if (known.name != except && known.name.compare(name, Qt::CaseInsensitive) == 0)
            return fail(error, QStringLiteral("There is an operator \"%1\" already.").arg(known.name));
    return true;
}

// Runs `sql` on the operator `name` in a transaction of its own, once it is known to exist.
bool changeOperator(const QString& name, const QString& sql, const QVariantList& values, QString* error,
                    const QString& newName = QString())
{
    Transaction transaction;
    if (!transaction.isActive() || !transaction.lock(QStringLiteral("operators")))
        return fail(error, transaction.errorText());
    const auto operators = readOperators(error);
    if (!operators)
        return false;
    if (std::none_of(operators->cbegin(), operators->cend(), [&](const Operator& o) { return o.name == name; }))
        return fail(error, QStringLiteral("There is no operator \"%1\".").arg(name));
    if (!newName.isNull() && !nameIsFree(newName, name, error))
        return false;
    Engine* engine = Database::instance().engine(error);
    if (!engine || !engine->execute(sql, values, error))
        return false;
    if (!transaction.commit())
        return fail(error, transaction.errorText());
    return true;
}

} // namespace

QString roleText(Role role)
{
    return role == Role::Owner ? QStringLiteral("Owner") : QStringLiteral("Cashier");
}

std::optional<Role> roleOfText(const QString& text)
{
    if (text == QLatin1String("Owner"))
        return Role::Owner;
    if (text == QLatin1String("Cashier"))
        return Role::Cashier;
    return std::nullopt;
}

std::optional<QList<Operator>> readOperators(QString* error)
{
    auto set = ExecSQL(QStringLiteral("select cName, cRole, cActive from marvono_operator order by cName"));
    if (!set) {
        setError(error, QStringLiteral("The operators cannot be read."));
        return std::nullopt;
    }
    QList<Operator> operators;
    for (; !set->isEof(); set->moveNext()) {
        // A role this version does not know gets the least rights.
        operators.append({set->text(0), roleOfText(set->text(1)).value_or(Role::Cashier), set->text(2).toInt() != 0});
    }
    return operators;
}

bool addOperator(const QString& name, const QString& password, Role role, QString* error)
{
    const QString trimmed = trimBlanks(name);
    if (password.isEmpty())
        return fail(error, QStringLiteral("An operator needs a password."));
    const auto hash = passwordHash(password);
    if (!hash)
        return fail(error, QStringLiteral("The password cannot be hashed."));
    Transaction transaction;
    if (!transaction.isActive() || !transaction.lock(QStringLiteral("operators")))
        return fail(error, transaction.errorText());
    Engine* engine = Database::instance().engine(error);
    if (!nameIsFree(trimmed, QString(), error) || !engine ||
        !engine->execute(
            QStringLiteral("insert into marvono_operator (cName, cHash, cRole, cActive) values (?, ?, ?, 1)"),
            {trimmed, QString::fromLatin1(*hash), roleText(role)}, error))
        return false;
    if (!transaction.commit())
        return fail(error, transaction.errorText());
    return true;
}

bool renameOperator(const QString& name, const QString& newName, QString* error)
{
    const QString trimmed = trimBlanks(newName);
    if (trimmed.isEmpty())
        return fail(error, QStringLiteral("An operator needs a name."));
    return changeOperator(name, QStringLiteral("update marvono_operator set cName = ? where cName = ?"),
                          {trimmed, name}, error, trimmed);
}

bool setOperatorPassword(const QString& name, const QString& password, QString* error)
{
    if (password.isEmpty())
        return fail(error, QStringLiteral("An operator needs a password."));
    const auto hash = passwordHash(password);
    if (!hash)
        return fail(error, QStringLiteral("The password cannot be hashed."));
    return changeOperator(name, QStringLiteral("update marvono_operator set cHash = ? where cName = ?"),
                          {QString::fromLatin1(*hash), name}, error);
}

bool setOperatorRole(const QString& name, Role role, QString* error)
{
    return changeOperator(name, QStringLiteral("update marvono_operator set cRole = ? where cName = ?"),
                          {roleText(role), name}, error);
}

bool setOperatorActive(const QString& name, bool active, QString* error)
{
    return changeOperator(name, QStringLiteral("update marvono_operator set cActive = ? where cName = ?"),
                          {active ? 1 : 0, name}, error);
}

std::optional<Operator> checkOperator(const QString& typedUser, const QString& typedPassword)
{
    auto set = ExecSQL(QStringLiteral("select cName, cHash, cRole from marvono_operator where cName = ? and "
                                      "cActive <> 0"),
                       {trimBlanks(typedUser)});
    if (!set || set->isEof() || !hashMatches(set->text(1).toLatin1(), trimBlanks(typedPassword)))
        return std::nullopt;
    return Operator{set->text(0), roleOfText(set->text(2)).value_or(Role::Cashier), true};
}

std::optional<QByteArray> passwordHash(const QString& password)
{
    if (!sodiumReady())
        return std::nullopt;
    const QByteArray utf8 = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, utf8.constData(), quint64(utf8.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return std::nullopt; // out of memory
    return QByteArray(hash);
}

bool hashMatches(const QByteArray& hash, const QString& password)
{
    if (!sodiumReady() || hash.isEmpty() || hash.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray utf8 = password.toUtf8();
    // The stored text with its terminating zero, as the library reads it.
    const QByteArray stored = hash + '\0';
    return crypto_pwhash_str_verify(stored.constData(), utf8.constData(), quint64(utf8.size())) == 0;
}

} // namespace marvono
