#pragma once
// ESC/POS bytes for the shop's papers (receipts, refunds, day closes) on a thermal printer.
#include "bills/dayclose.h"
#include "bills/receipt.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace marvono {

// The text in the printer's code page, Windows-1252 (selected with ESC t 16); what it lacks is '?'.
QByteArray escPosText(const QString& text);

// A paper: initialise, the code page, the first `boldLines` lines (the shop's name) in bold, every
// line cut to `columns`, a feed, the cash drawer's pulse when asked, a partial cut.
QByteArray escPosPaper(const QStringList& lines, int columns, int boldLines, bool openDrawer);

// The drawer opens for a sale paid in cash as it is paid: never for a refund or a reprint. The
// shop's identity prints plain under its bold name.
QByteArray escPosReceipt(const Receipt& receipt, const QString& shopName, const ShopIdentity& identity,
                         const QString& currencySymbol, int columns, bool justPaid);
QByteArray escPosDayClose(const DayClose& close, const QString& shopName, const ShopIdentity& identity,
                          const QString& currencySymbol, int columns);

} // namespace marvono
