#include "data/shoprules.h"

namespace marvono {

bool keepsShopRules(const FirstRowQuery& firstRow, bool withReceipts, const QString& source, QString* error)
{
    // Each query returns a row only when its rule is broken, and the row names what breaks it:
    // %1, %2 in the text are its fields, `unset` the text for an empty first field. The
    // statements read alike in SQLite and PostgreSQL.
    struct Rule {
        const char* sql;
        const char* breach;
        const char* unset;
        bool ofReceipts;
    };
    static const Rule rules[] = {
        {"SELECT cName, cLeastQty FROM product_info WHERE CAST(cLeastQty AS NUMERIC) < 0 LIMIT 1",
         "the stock of \"%1\" is below zero (%2)", nullptr, false},
        {"SELECT cName, count(*) FROM product_info WHERE cName IS NOT NULL GROUP BY cName HAVING count(*) > 1 LIMIT 1",
         "%2 products are named \"%1\"", nullptr, false},
        {"SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM user_info)", "it holds no login account", nullptr, false},
        // Pay Bill takes the number after the counter's: one already taken fails every payment.
        {"SELECT kept, highest FROM (SELECT (SELECT cValue FROM marvono_counter WHERE cName = 'receipt') AS kept, "
         "(SELECT coalesce(max(cNumber), 0) FROM marvono_receipt) AS highest) AS receipts "
         "WHERE kept IS NULL OR kept < highest",
         "its receipt counter (%1) is below its highest receipt number (%2)", "it has no receipt counter", true},
    };
    for (const Rule& rule : rules) {
        if (rule.ofReceipts && !withReceipts)
            continue;
        const auto row = firstRow(rule.sql, error);
        if (!row)
            return false;
        if (row->isEmpty())
            continue;
        QString breach = QString::fromUtf8(rule.unset && row->first().isEmpty() ? rule.unset : rule.breach);
        // From the last field back, so a product name holding "%2" stays as it is.
        for (qsizetype i = row->size(); i > 0; --i)
            breach.replace(QLatin1Char('%') + QString::number(i), row->at(i - 1));
        if (error)
            *error = QStringLiteral("%1 breaks the shop's rules: %2.").arg(source, breach);
        return false;
    }
    return true;
}

} // namespace marvono
