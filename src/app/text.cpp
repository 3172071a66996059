#include "app/text.h"

#include <QStringList>
#include <algorithm>

namespace marvono {

QString trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == QLatin1Char(' '))
        ++start;
    while (end > start && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool fail(QString* error, const QString& text)
{
    setError(error, text);
    return false;
}

QStringList spread(const QString& left, const QString& right, int columns)
{
    const qsizetype gap = columns - left.size() - right.size();
    if (gap >= 1)
        return {left + QString(gap, QLatin1Char(' ')) + right};
    return {left, QString(std::max<qsizetype>(0, columns - right.size()), QLatin1Char(' ')) + right};
}

QStringList wrapped(const QString& text, int columns)
{
    QStringList lines;
    for (qsizetype at = 0; at < text.size(); at += columns)
        lines.append(text.mid(at, columns));
    return lines.isEmpty() ? QStringList{QString()} : lines;
}

} // namespace marvono
