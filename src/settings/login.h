#pragma once
// The login account check and the saved-login file that remembers a login for the next start.
#include "app/text.h"

#include <QString>
#include <optional>

namespace marvono {

struct SavedLogin {
    QString user;     // untrimmed, as typed
    QString password; // untrimmed, as typed
};

// ~/.config/marvono/fspwd.dll: one file for every start of the program by this operator.
QString defaultSavedLoginPath();
// The path in use: the default unless a caller (a test) handed in another; empty restores it.
QString savedLoginPath();
void setSavedLoginPath(const QString& path);

// The first two items of the file. Nothing (and an error text) when it cannot be read or holds
// fewer than two items.
std::optional<SavedLogin> readSavedLogin(const QString& path, QString* error = nullptr);
// Replaces the file atomically, readable and writable by the owner only from its first byte on;
// creates the folder when missing.
bool writeSavedLogin(const QString& path, const SavedLogin& login, QString* error = nullptr);
// Deletes the file; true when it is gone afterwards (also when it never existed).
bool removeSavedLogin(const QString& path, QString* error = nullptr);

enum class LoginCheck {
    Valid,
    Invalid,
    Failure, // the account could not be read: no database, no user_info row
};

// Compares the typed texts, blanks trimmed at both ends, with the user name and password of the
// first user_info row exactly as stored (on a shop server, the password with the salted hash the
// server stores of it); a NULL stored value never matches. That account is the owner's; failing
// it, the texts are an active operator's name and password (see operators.h). `owner` tells
// which rights the login has.
LoginCheck checkLogin(const QString& typedUser, const QString& typedPassword, bool* owner = nullptr);

} // namespace marvono
