#pragma once
// Number reading and number text forms shared by every part of the program.
#include <QString>
#include <optional>

namespace marvono {

// The longest leading decimal number of a text: leading blanks skipped, "." as decimal point,
// an optional sign and exponent; a text that does not begin with a number gives 0 ("12abc" -> 12).
double leadingNumber(QStringView text);

// True when the whole text (blanks around it allowed) is one decimal number.
bool isNumberText(QStringView text);

// A double in general form: up to 15 significant digits, no trailing zeros, "." as decimal point.
QString generalText(double value);

// Rounds to the nearest integer, a half to the even neighbour.
double roundHalfEven(double value);

// Fixed-point money: a signed 64-bit count of ten-thousandths.
class Currency {
  public:
    constexpr Currency() = default;
    static constexpr Currency fromRaw(qint64 tenThousandths)
    {
        Currency c;
        c.m_raw = tenThousandths;
        return c;
    }
    // Rounds to four decimals, a half to the even neighbour; nothing when out of range or not a number.
    static std::optional<Currency> fromDouble(double value);

    qint64 raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / 10000.0; }
    // Plain text: no separators, at most four decimals, no trailing zeros, "0" for zero.
    QString toText() const;
    // Sum, or nothing when it would leave the range.
    std::optional<Currency> plus(Currency other) const;

    friend bool operator==(Currency a, Currency b) { return a.m_raw == b.m_raw; }

  private:
    qint64 m_raw = 0;
};

// Money on the program's own papers and lists (receipts, closes, stock moves): at least two
// decimals, more only where the amount has them, so a column still adds up; the sign before the
// symbol: "$0.90", "-$4.99".
QString moneyText(Currency amount, const QString& symbol);
// A stored amount the same way; a text that is no number stays as stored, after the symbol.
QString moneyText(const QString& stored, const QString& symbol);
// An amount the program stored as text, as money: its leading number, 0 when it has none or is
// out of range.
Currency storedAmount(const QString& text);
// A quantity with its unit, as those papers write it: "24 units", "1 unit".
QString unitsText(const QString& quantity);

} // namespace marvono
