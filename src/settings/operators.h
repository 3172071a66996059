#pragma once
// The shop's operators beside the owner's account of user_info: each with a name, a role, a
// salted password hash and whether it may still log in. Operators are never deleted, only
// deactivated, since receipts keep naming them. No widgets.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace marvono {

enum class Role { Owner, Cashier };

// "Owner", "Cashier": the stored and shown names of the roles.
QString roleText(Role role);
std::optional<Role> roleOfText(const QString& text);

struct Operator {
    QString name;
    Role role = Role::Cashier;
    bool active = true;
};

// Every operator, by name; nothing (and why) when they cannot be read.
std::optional<QList<Operator>> readOperators(QString* error = nullptr);

// Each change is one transaction; false, with the reason, when a name is empty, taken (by an
// operator or the owner's account, whatever the case of its letters) or unknown, a password is
// empty, or the database refuses.
bool addOperator(const QString& name, const QString& password, Role role, QString* error);
bool renameOperator(const QString& name, const QString& newName, QString* error);
bool setOperatorPassword(const QString& name, const QString& password, QString* error);
bool setOperatorRole(const QString& name, Role role, QString* error);
bool setOperatorActive(const QString& name, bool active, QString* error);

// The active operator named by the typed user whose password the typed password is, blanks
// trimmed off both; nothing otherwise or when the operators cannot be read.
std::optional<Operator> checkOperator(const QString& typedUser, const QString& typedPassword);

// A password's salted hash in libsodium's string form (Argon2id at its interactive limits, the
// salt and limits within); nothing when the library cannot make one.
std::optional<QByteArray> passwordHash(const QString& password);
// Whether `password` is the one `hash` was made from.
bool hashMatches(const QByteArray& hash, const QString& password);

} // namespace marvono
