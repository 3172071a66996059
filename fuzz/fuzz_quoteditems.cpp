// Feeds arbitrary bytes to the quoted-item reader; a written list must read back unchanged.
#include "app/quoteditems.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList items = marvono::parseQuotedItems(bytes);
    // Items without quotes or line breaks survive a write and a read whole.
    QStringList plain;
    for (const QString& item : items) {
        if (!item.contains(QLatin1Char('"')) && !item.contains(QLatin1Char('\r')) && !item.contains(QLatin1Char('\n')))
            plain.append(item);
    }
    if (marvono::parseQuotedItems(marvono::formatQuotedItems(plain)) != plain)
        std::abort();
    return 0;
}
