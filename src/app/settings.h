#pragma once
// setup.dat (shop settings) and style.dat (theme of the login window).
#include <QString>
#include <optional>

namespace marvono {

struct ShopSettings {
    bool warningTone = true;
    QString shopName;
    QString currencySymbol;
};

// Reads setup.dat into runValues(): item 1 the tone (off only for the exact text "0"), item 2 the
// shop name, item 3 a whole number 0 to 255 (ignored), item 4 the currency symbol. A missing or
// short file, or a bad item 3, is a failure; items read before the failing one keep their values.
bool loadSetup(QString* error = nullptr);

// Writes setup.dat atomically: tone "0"/"1", the shop name, "1", the symbol without surrounding blanks.
bool saveSetup(const ShopSettings& settings, QString* error = nullptr);

// Theme number of style.dat, rounded half to even into 16 bits. 0 when the file is absent;
// nothing (a failure) when its first item is not a number or out of range.
std::optional<qint16> readStyleTheme();

} // namespace marvono
