// Feeds arbitrary text to the leading-number reader and the number-text test.
#include "app/numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double value = marvono::leadingNumber(text);
    if (std::isnan(value))
        std::abort();
    // A whole number text reads as the number it is.
    if (marvono::isNumberText(text) && marvono::leadingNumber(text.trimmed()) != value)
        std::abort();
    if (std::isfinite(value)) {
        const auto money = marvono::Currency::fromDouble(value);
        if (money && std::fabs(money->toDouble() - value) > 0.00005 + std::fabs(value) * 1e-12)
            std::abort();
        (void)marvono::generalText(value);
    }
    return 0;
}
