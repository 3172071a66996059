#include "app/quoteditems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace marvono {

QStringList parseQuotedItems(const QByteArray& bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto isLineEnd = [&](qsizetype k) { return text[k] == QLatin1Char('\r') || text[k] == QLatin1Char('\n'); };
    auto skipSeparator = [&]() {
        // One comma, or one line end (CR LF, CR or LF).
        if (i < n && text[i] == QLatin1Char(',')) {
            ++i;
        } else if (i < n && text[i] == QLatin1Char('\r')) {
            ++i;
            if (i < n && text[i] == QLatin1Char('\n'))
                ++i;
        } else if (i < n && text[i] == QLatin1Char('\n')) {
            ++i;
        }
    };
    while (i < n) {
        while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
            ++i;
        if (i >= n)
            break;
        if (text[i] == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            items.append(text.mid(i + 1, end - i - 1));
            i = close < 0 ? n : close + 1;
            // Anything between the closing quote and the separator is not part of the item.
            while (i < n && text[i] != QLatin1Char(',') && !isLineEnd(i))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != QLatin1Char(',') && !isLineEnd(i))
                ++i;
            items.append(text.mid(start, i - start).trimmed());
        }
        skipSeparator();
    }
    return items;
}

QByteArray formatQuotedItems(const QStringList& items)
{
    QByteArray bytes;
    for (const QString& item : items) {
        bytes += '"';
        bytes += item.toUtf8();
        bytes += "\"\r\n";
    }
    return bytes;
}

std::optional<QStringList> readQuotedItems(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return parseQuotedItems(file.readAll());
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    // Unbuffered, so a short write (a full disk, a file size limit) shows in write()'s count:
    // through the buffer it would surface only at commit, where Qt does not report it and the
    // cut file would replace the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

void removeWriteLeftovers(const QString& path)
{
    // QSaveFile names its temporary file after the target with a dot and six random letters or
    // digits; anything else beside the file belongs to someone else.
    const QFileInfo target(path);
    const QString prefix = target.fileName() + QLatin1Char('.');
    const QDir folder = target.absoluteDir();
    const QStringList candidates = folder.entryList(
        {prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    for (const QString& name : candidates) {
        const QStringView tail = QStringView(name).sliced(prefix.size());
        const bool generated = tail.size() == 6 && std::all_of(tail.begin(), tail.end(), [](QChar c) {
                                   return c.unicode() < 128 && c.isLetterOrNumber();
                               });
        if (generated)
            QFile::remove(folder.filePath(name));
    }
}

} // namespace marvono
