#include "app/typedinput.h"

#include "app/numbers.h"

#include <QLocale>

namespace marvono {

std::optional<QString> typedNumberText(const QString& text)
{
    if (text.isEmpty())
        return text;
    if (isNumberText(text))
        return text;
    // Only a lone comma is a decimal comma: "1.234,5" and "1,234" stay what they look like.
    if (QLocale().decimalPoint() == QStringLiteral(",") && text.count(QLatin1Char(',')) == 1 &&
        !text.contains(QLatin1Char('.'))) {
        QString pointed = text;
        pointed.replace(QLatin1Char(','), QLatin1Char('.'));
        if (isNumberText(pointed))
            return pointed;
    }
    return std::nullopt;
}

bool isScannedCodeText(QStringView text)
{
    if (text.size() < KeyBurst::kShortestCode)
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

bool KeyBurst::typed(QChar character, qint64 ms)
{
    const bool digit = character >= u'0' && character <= u'9';
    const bool follows = m_digits > 0 && ms - m_lastMs <= kLongestGapMs;
    m_lastMs = ms;
    if (!digit) {
        m_digits = 0;
        return false;
    }
    m_digits = follows ? m_digits + 1 : 1;
    return !follows;
}

bool KeyBurst::enterEndsScan(qint64 ms)
{
    const bool scan = m_digits >= kShortestCode && ms - m_lastMs <= kLongestGapMs;
    m_digits = 0;
    return scan;
}

} // namespace marvono
