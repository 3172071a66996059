#include "bills/escpos.h"

#include "app/text.h"

#include <initializer_list>

namespace marvono {
namespace {

constexpr char kEsc = 0x1b;
constexpr char kGs = 0x1d;
constexpr int kFeedLines = 3;

// Qt Core converts only to Unicode forms and Latin-1, so the code page is done here: Windows-1252
// is Latin-1 (U+00A0..U+00FF at the same bytes) plus the euro sign and the typographic marks it
// keeps at 0x80..0x9F, listed here. ESC/POS printers of the usual makes offer it as table 16.
constexpr char kCodePage = 16;
constexpr char16_t kHighPunctuation[32] = {0x20ac, 0,      0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021,
                                           0x02c6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017d, 0,
                                           0,      0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
                                           0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0,      0x017e, 0x0178};

char codePageByte(char32_t c)
{
    // Control characters would be taken as printer commands.
    if ((c >= 0x20 && c < 0x7f) || (c >= 0xa0 && c <= 0xff))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHighPunctuation[i] && c == kHighPunctuation[i])
            return char(0x80 + i);
    return '?';
}

void put(QByteArray& bytes, std::initializer_list<char> codes)
{
    bytes.append(codes.begin(), qsizetype(codes.size()));
}

} // namespace

QByteArray escPosText(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (char32_t c : text.toUcs4())
        bytes.append(codePageByte(c));
    return bytes;
}

QByteArray escPosPaper(const QStringList& lines, int columns, int boldLines, bool openDrawer)
{
    QByteArray bytes;
    put(bytes, {kEsc, '@', kEsc, 't', kCodePage});
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == 0 && boldLines > 0)
            put(bytes, {kEsc, 'E', 1});
        const QByteArray line = escPosText(lines[i]);
        qsizetype at = 0;
        do {
            bytes.append(line.mid(at, columns)).append('\n');
            at += columns;
        } while (at < line.size());
        if (i + 1 == boldLines)
            put(bytes, {kEsc, 'E', 0});
    }
    put(bytes, {kEsc, 'd', char(kFeedLines)});
    if (openDrawer) // pin 2, on 50 ms, off 500 ms
        put(bytes, {kEsc, 'p', 0, 25, char(250)});
    put(bytes, {kGs, 'V', 66, 0});
    return bytes;
}

QByteArray escPosReceipt(const Receipt& receipt, const QString& shopName, const ShopIdentity& identity,
                         const QString& currencySymbol, int columns, bool justPaid)
{
    const bool cash = justPaid && !receipt.refundOf && receipt.received.raw() > 0;
    return escPosPaper(receiptTextLines(receipt, shopName, identity, currencySymbol, columns), columns,
                       int(wrapped(shopName, columns).size()), cash);
}

QByteArray escPosDayClose(const DayClose& close, const QString& shopName, const ShopIdentity& identity,
                          const QString& currencySymbol, int columns)
{
    return escPosPaper(dayCloseTextLines(close, shopName, identity, currencySymbol, columns), columns, 1, false);
}

} // namespace marvono
