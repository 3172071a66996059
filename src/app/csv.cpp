#include "app/csv.h"

#include "app/text.h"

#include <QFile>
#include <QStringDecoder>

namespace marvono {

QString decodeCsvBytes(const QByteArray& bytes, bool* latin1)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    const bool isLatin1 = utf8.hasError();
    if (latin1)
        *latin1 = isLatin1;
    return isLatin1 ? QString::fromLatin1(bytes) : text;
}

QChar detectCsvDelimiter(QStringView text)
{
    const QChar candidates[] = {u',', u';', u'\t'};
    int counts[3] = {0, 0, 0};
    bool quoted = false;
    for (QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted)
            for (int i = 0; i < 3; ++i)
                counts[i] += c == candidates[i] ? 1 : 0;
    }
    int best = 0;
    for (int i = 1; i < 3; ++i)
        best = counts[i] > counts[best] ? i : best;
    return candidates[best];
}

QList<QStringList> parseCsv(QStringView text, QChar delimiter)
{
    QList<QStringList> records;
    QStringList record;
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto lineEnd = [&](qsizetype at) { return at < n && (text[at] == u'\r' || text[at] == u'\n'); };
    while (i < n) {
        // One field. Only a quote that opens it quotes it: one further on is a character (5").
        QString field;
        if (text[i] == u'"') {
            for (++i; i < n; ++i) {
                if (text[i] != u'"')
                    field.append(text[i]);
                else if (i + 1 < n && text[i + 1] == u'"')
                    field.append(text[++i]);
                else
                    break;
            }
            i = std::min(i + 1, n); // past the closing quote
        }
        const qsizetype from = i;
        while (i < n && text[i] != delimiter && !lineEnd(i))
            ++i;
        field.append(text.sliced(from, i - from));
        record.append(field);
        if (i < n && text[i] == delimiter) {
            ++i;
            if (i < n && !lineEnd(i))
                continue;
            record.append(QString()); // a delimiter ends the line: one more empty field
        }
        if (i < n && text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        ++i;
        // A blank line is no record.
        if (record.size() > 1 || !record.first().isEmpty())
            records.append(record);
        record.clear();
    }
    return records;
}

CsvTable readCsv(const QByteArray& bytes)
{
    CsvTable table;
    const QString text = decodeCsvBytes(bytes, &table.latin1);
    table.delimiter = detectCsvDelimiter(text);
    table.rows = parseCsv(text, table.delimiter);
    return table;
}

std::optional<CsvTable> readCsvFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return readCsv(file.readAll());
}

QString csvRecord(const QStringList& fields, QChar delimiter)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString& field = fields[i];
        if (i > 0)
            line.append(delimiter);
        const bool quote = field.contains(delimiter) || field.contains(u'"') || field.contains(u'\n') ||
                           field.contains(u'\r') || field.startsWith(u' ') || field.endsWith(u' ');
        if (!quote) {
            line.append(field);
            continue;
        }
        line.append(u'"');
        line.append(QString(field).replace(QStringLiteral("\""), QStringLiteral("\"\"")));
        line.append(u'"');
    }
    line.append(QStringLiteral("\r\n"));
    return line;
}

} // namespace marvono
