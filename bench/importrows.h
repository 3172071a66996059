#pragma once
// The 10,000 products of the import pairs: the CSV file the program imports and the same
// products as the raw side inserts them. Every third product is sold at tax rate A.
#include <QByteArray>
#include <QByteArrayList>

namespace marvono::bench {

inline constexpr int kImportRows = 10000;

// Name, category, code, purchase price, retail price, purchase quantity, remaining quantity,
// alert, tax rate, introduction: the export's columns.
inline QByteArrayList importCells(int i)
{
    return {QByteArrayLiteral("Product ") + QByteArray::number(i).rightJustified(6, '0'),
            QByteArrayLiteral("Category ") + QByteArray::number(i % 40),
            QByteArrayLiteral("20") + QByteArray::number(i).rightJustified(11, '0'),
            QByteArray::number(1 + i % 97) + ".25",
            QByteArray::number(2 + i % 89) + ".5",
            QByteArray::number(50 + i % 13),
            QByteArray::number(10 + i % 40),
            "5",
            i % 3 == 0 ? "A" : "",
            "A short introduction of the product."};
}

inline QByteArray importCsv()
{
    QByteArray csv = "Name,Category,Code,Purchase price,Retail price,Purchase quantity,Remaining quantity,Alert,"
                     "Tax rate,Introduction\r\n";
    for (int i = 0; i < kImportRows; ++i)
        csv += importCells(i).join(',') + "\r\n";
    return csv;
}

} // namespace marvono::bench
