#include "app/numbers.h"

#include <cfenv>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace marvono {
namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Blanks before a number: spaces, tabs and line-feed characters.
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\f') || c == QLatin1Char('\v');
}

QStringView trimBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

// Length of the leading number starting at `from`, 0 when there is none.
qsizetype scanNumber(QStringView text, qsizetype from)
{
    qsizetype i = from;
    const qsizetype n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < n && isDigit(text[j])) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        qsizetype exponent = 0;
        while (j < n && isDigit(text[j])) {
            ++j;
            ++exponent;
        }
        if (exponent > 0)
            i = j;
    }
    return i - from;
}

// strtod follows LC_NUMERIC, which QCoreApplication takes from the environment: under a
// decimal-comma locale it would stop at the "." of "12.5". The "C" locale reads "." everywhere.
double parseDecimal(const char* text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return strtod_l(text, nullptr, cLocale);
}

// A scanned number of `length` characters, NUL-terminated. from_chars reads the digits to the
// same double as strtod several times faster, but takes no plus sign and refuses what overflows
// or underflows, which strtod turns into infinity or zero.
double parseScanned(const char* text, qsizetype length)
{
    const char* const end = text + length;
    const char* const first = *text == '+' ? text + 1 : text;
    double value = 0;
    const auto [stop, error] = std::from_chars(first, end, value);
    return error == std::errc() && stop == end ? value : parseDecimal(text);
}

} // namespace

double leadingNumber(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    const qsizetype length = scanNumber(text, start);
    if (length == 0)
        return 0.0;
    // A whole number of up to 15 digits, as quantities are, is exact in a double: read directly.
    const bool negative = text[start] == QLatin1Char('-');
    const qsizetype sign = negative || text[start] == QLatin1Char('+') ? 1 : 0;
    if (length - sign <= 15) {
        qint64 whole = 0;
        qsizetype i = start + sign;
        for (; i < start + length && isDigit(text[i]); ++i)
            whole = whole * 10 + (text[i].unicode() - u'0');
        if (i == start + length)
            return negative ? -double(whole) : double(whole);
    }
    // The scanned characters are all ASCII; a stack copy spares an allocation per number.
    char buffer[128];
    if (length >= qsizetype(sizeof buffer)) {
        const QByteArray latin = text.mid(start, length).toLatin1();
        return parseDecimal(latin.constData());
    }
    for (qsizetype i = 0; i < length; ++i)
        buffer[i] = char(text[start + i].unicode());
    buffer[length] = '\0';
    return parseScanned(buffer, length);
}

bool isNumberText(QStringView text)
{
    const QStringView trimmed = trimBlanks(text);
    return !trimmed.isEmpty() && scanNumber(trimmed, 0) == trimmed.size();
}

QString generalText(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    return text;
}

double roundHalfEven(double value)
{
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double result = std::nearbyint(value);
    std::fesetround(saved);
    return result;
}

std::optional<Currency> Currency::fromDouble(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e15)
        return std::nullopt;
    // Most amounts have at most four decimals and are whole in ten-thousandths. Below 1e9 the
    // product's rounding error, and the 15-digit form's, are far below half a ten-thousandth,
    // so the whole number found is that form's rounding and the digits need not be written.
    const double scaled = value * 10000.0;
    if (std::fabs(value) < 1e9 && scaled == std::trunc(scaled))
        return fromRaw(qint64(scaled));
    // Round the value's 15-digit decimal form, so that decimal ties such as 0.00015 are ties
    // rather than whatever side of the tie their binary approximation happens to fall on.
    // to_chars gives the same correctly rounded digits as printf's "%.14e", several times faster.
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer - 1, std::fabs(value), std::chars_format::scientific, 14);
    *written.ptr = '\0';
    const char* exponentMark = std::strchr(buffer, 'e');
    const int exponent = std::atoi(exponentMark + 1);
    std::string digits;
    for (const char* p = buffer; p < exponentMark; ++p) {
        if (*p >= '0' && *p <= '9')
            digits += *p;
    }
    // value = 0.d1d2...d15 * 10^(exponent + 1); ten-thousandths keep exponent + 5 leading digits.
    const int kept = exponent + 5;
    qint64 whole = 0;
    // Beyond the range of ten-thousandths the value is refused, never wrapped.
    for (int i = 0; i < kept; ++i) {
        const int digit = i < int(digits.size()) ? digits[size_t(i)] - '0' : 0;
        if (__builtin_mul_overflow(whole, 10, &whole) || __builtin_add_overflow(whole, digit, &whole))
            return std::nullopt;
    }
    if (kept >= 0 && kept < int(digits.size())) {
        const int next = digits[size_t(kept)] - '0';
        const bool restNonZero = digits.find_first_not_of('0', size_t(kept) + 1) != std::string::npos;
        if ((next > 5 || (next == 5 && (restNonZero || (whole % 2) == 1))) && __builtin_add_overflow(whole, 1, &whole))
            return std::nullopt;
    } else if (kept < 0) {
        whole = 0;
    }
    return fromRaw(value < 0 ? -whole : whole);
}

QString Currency::toText() const
{
    const bool negative = m_raw < 0;
    // Work in unsigned so the most negative value keeps its magnitude.
    const quint64 magnitude = negative ? quint64(0) - quint64(m_raw) : quint64(m_raw);
    QString text = QString::number(magnitude / 10000);
    quint64 fraction = magnitude % 10000;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    if (negative)
        text.prepend(QLatin1Char('-'));
    return text;
}

std::optional<Currency> Currency::plus(Currency other) const
{
    qint64 sum = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &sum))
        return std::nullopt;
    return fromRaw(sum);
}

QString moneyText(Currency amount, const QString& symbol)
{
    const bool negative = amount.raw() < 0;
    QString digits = amount.toText().mid(negative ? 1 : 0);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    const qsizetype decimals = point < 0 ? 0 : digits.size() - point - 1;
    if (point < 0)
        digits += QLatin1Char('.');
    if (decimals < 2)
        digits += QString(2 - decimals, QLatin1Char('0'));
    return (negative ? QStringLiteral("-") : QString()) + symbol + digits;
}

QString moneyText(const QString& stored, const QString& symbol)
{
    const auto amount = isNumberText(stored) ? Currency::fromDouble(leadingNumber(stored)) : std::nullopt;
    return amount ? moneyText(*amount, symbol) : symbol + stored;
}

QString unitsText(const QString& quantity)
{
    return quantity + (quantity.trimmed() == QLatin1String("1") ? QStringLiteral(" unit") : QStringLiteral(" units"));
}

Currency storedAmount(const QString& text)
{
    return Currency::fromDouble(leadingNumber(text)).value_or(Currency());
}

} // namespace marvono
