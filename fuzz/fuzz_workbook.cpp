// Feeds arbitrary bytes as a workbook stream to the row appender. Whatever it accepts must come
// back as a stream it accepts again, holding the appended text.
#include "reports/biff.h"

#include <QFile>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// With MARVONO_WRITE_SEED set, writes a real workbook stream there to seed the corpus and exits.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const QByteArray path = qgetenv("MARVONO_WRITE_SEED");
    if (path.isEmpty())
        return 0;
    const auto stream = marvono::biff::newWorkbook(
        QStringLiteral("sheet1"), {{QStringLiteral("Date"), QStringLiteral("Product Name"), QStringLiteral("Total")},
                                   {QStringLiteral("2009-7-5"), QString(QChar(0x20AC))}});
    QFile file(QString::fromLocal8Bit(path));
    const bool ok = stream && file.open(QIODevice::WriteOnly) && file.write(*stream) == stream->size() && file.flush();
    std::exit(ok ? 0 : 1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray stream(reinterpret_cast<const char*>(data), qsizetype(size));
    const marvono::biff::TextRows rows{{QStringLiteral("2009-7-5"), QStringLiteral("Cola"), QStringLiteral("4Unit(s)"),
                                        QStringLiteral("$2.5"), QStringLiteral("2.8")}};
    const auto appended = marvono::biff::appendRows(stream, QStringLiteral("sheet1"), rows);
    if (!appended)
        return 0;
    if (!appended->contains("Cola"))
        std::abort();
    // A sheet filled to its last row refuses a second append; anything else must take it.
    QString error;
    if (!marvono::biff::appendRows(*appended, QStringLiteral("sheet1"), rows, &error) &&
        !error.contains(QLatin1String("do not fit"))) {
        std::fprintf(stderr, "second append refused: %s\n", qPrintable(error));
        std::abort();
    }
    return 0;
}
