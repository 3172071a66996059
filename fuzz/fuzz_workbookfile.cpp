// Feeds arbitrary bytes as a template workbook file (compound file around the workbook stream).
#include "reports/workbookfile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)marvono::appendToWorkbookFile(file, QStringLiteral("sheet1"), {{QStringLiteral("x")}});
    return 0;
}
