#include "catalogue/barcode.h"

#include <zint.h>

#include <algorithm>
#include <memory>

namespace marvono {

namespace {

bool allDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
}

// An EAN code of `bodyLength` digits plus its check digit, or Code 128 when the check digit is wrong.
BarcodeChoice eanChoice(const QString& code, Symbology symbology, qsizetype bodyLength)
{
    const QStringView body = QStringView(code).left(bodyLength);
    const QString scanned = body.toString() + QString::number(eanCheckDigit(body));
    if (code.size() == bodyLength)
        return {symbology, body.toString(), scanned, QStringLiteral("scans as %1").arg(scanned)};
    if (scanned == code)
        return {symbology, body.toString(), code, {}};
    return {Symbology::Code128, code, code, QStringLiteral("wrong check digit (%1 expected)").arg(scanned.back())};
}

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using SymbolPtr = std::unique_ptr<zint_symbol, SymbolDeleter>;

// The symbol Zint lays out with bars `height` modules tall; nothing when it refuses the data.
SymbolPtr encodeVector(const BarcodeChoice& choice, float height, QString* error)
{
    SymbolPtr symbol(ZBarcode_Create());
    if (!symbol) {
        *error = QStringLiteral("Zint is out of memory.");
        return nullptr;
    }
    symbol->symbology = choice.symbology == Symbology::Code128 ? BARCODE_CODE128 : BARCODE_EANX;
    symbol->input_mode = UNICODE_MODE;
    symbol->output_options |= BARCODE_QUIET_ZONES;
    symbol->height = height;
    const QByteArray data = choice.data.toUtf8();
    int status =
        ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()));
    if (status < ZINT_ERROR)
        status = ZBarcode_Buffer_Vector(symbol.get(), 0);
    if (status >= ZINT_ERROR || !symbol->vector) {
        *error = QString::fromUtf8(symbol->errtxt);
        return nullptr;
    }
    return symbol;
}

} // namespace

int eanCheckDigit(QStringView body)
{
    // Weights 3 and 1 alternate leftwards from the digit next to the check digit.
    int sum = 0;
    for (qsizetype i = 0; i < body.size(); ++i)
        sum += (body[body.size() - 1 - i].unicode() - u'0') * (i % 2 == 0 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

BarcodeChoice chooseBarcode(const QString& code)
{
    if (code.isEmpty())
        return {};
    if (allDigits(code)) {
        if (code.size() == 12 || code.size() == 13)
            return eanChoice(code, Symbology::Ean13, 12);
        if (code.size() == 7 || code.size() == 8)
            return eanChoice(code, Symbology::Ean8, 7);
    }
    return {Symbology::Code128, code, code, {}};
}

QString symbologyName(Symbology symbology)
{
    switch (symbology) {
    case Symbology::Ean13:
        return QStringLiteral("EAN-13");
    case Symbology::Ean8:
        return QStringLiteral("EAN-8");
    case Symbology::Code128:
        return QStringLiteral("Code 128");
    case Symbology::None:
        break;
    }
    return QStringLiteral("none");
}

BarcodeSymbol encodeBarcode(const BarcodeChoice& choice, double aspect)
{
    BarcodeSymbol result;
    if (choice.symbology == Symbology::None)
        return result;
    // The symbol's height grows linearly with its bars' height: two trial heights give the line.
    constexpr float kLow = 10, kHigh = 50, kShortest = 8, kTallest = 300;
    SymbolPtr low = encodeVector(choice, kLow, &result.error);
    SymbolPtr high = low ? encodeVector(choice, kHigh, &result.error) : nullptr;
    if (!high)
        return result;
    const double slope = (high->vector->height - low->vector->height) / double(kHigh - kLow);
    const double wanted = aspect * high->vector->width;
    const float height =
        slope > 0 ? std::clamp(float(kLow + (wanted - low->vector->height) / slope), kShortest, kTallest) : kHigh;
    SymbolPtr symbol = encodeVector(choice, height, &result.error);
    if (!symbol)
        return result;

    const zint_vector& vector = *symbol->vector;
    result.size = QSizeF(vector.width, vector.height);
    for (const zint_vector_rect* r = vector.rectangles; r; r = r->next) {
        // Foreground only: a positive colour is a colour of its own, never met in linear symbols.
        if (r->colour <= 0)
            result.bars.append(QRectF(r->x, r->y, r->width, r->height));
    }
    for (const zint_vector_string* s = vector.strings; s; s = s->next) {
        const Qt::AlignmentFlag align = s->halign == 1   ? Qt::AlignLeft
                                        : s->halign == 2 ? Qt::AlignRight
                                                         : Qt::AlignHCenter;
        result.texts.append(
            {QPointF(s->x, s->y), s->fsize, align, QString::fromUtf8(reinterpret_cast<const char*>(s->text))});
    }
    return result;
}

} // namespace marvono
