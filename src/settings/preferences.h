#pragma once
// What the preferences dialog reads and writes: setup.dat, the first user_info row and the
// run's shop settings.
#include <QString>
#include <optional>

namespace marvono {

// Items 1 and 2 of setup.dat, as far as the file holds them; nothing when it does not exist.
struct SetupHead {
    std::optional<bool> warningTone; // off only for the exact text "0", as the settings reader has it
    std::optional<QString> shopName;
};
SetupHead readSetupHead();

// The dialog's boxes as typed.
struct PreferencesInput {
    bool warningTone = false;
    QString shopName;
    QString currencySymbol;
    QString userName;
    QString password;
    QString confirmation;
};

enum class PreferencesOutcome { PasswordMismatch, Saved };

// Sets the tone at once, then stops when the confirmation differs from the password. Otherwise
// stores the user name and password in the first user_info row (when there is one; once stored,
// the password is also the run's current one), sets the shop name as typed and the symbol without surrounding blanks,
// and rewrites setup.dat. The database and the file are each best effort: one failing does not stop the other.
PreferencesOutcome savePreferences(const PreferencesInput& input);

} // namespace marvono
