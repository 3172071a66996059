// Feeds arbitrary statement texts to the action/query classifier.
#include "data/recordset.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString statement = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString word;
    const bool action = marvono::isActionStatement(statement, &word);
    if (!statement.startsWith(word))
        std::abort();
    if (word.contains(QLatin1Char(' ')))
        std::abort();
    if (word.compare(QLatin1String("select"), Qt::CaseInsensitive) == 0 && action)
        std::abort();
    return 0;
}
