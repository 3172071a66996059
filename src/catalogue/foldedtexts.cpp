#include "catalogue/foldedtexts.h"

#include <QChar>
#include <algorithm>
#include <cstring>

namespace marvono {
namespace {

// Appends `text` folded to `out`. Letters outside ASCII go through QChar's simple case folding,
// per code point as Qt's case-insensitive search folds them, so a search of the folded texts
// finds what such a search finds.
char16_t* appendFolded(QStringView text, char16_t* out)
{
    const char16_t* in = text.utf16();
    const char16_t* const end = in + text.size();
    // Nearly every text is plain ASCII: fold it without a branch per character.
    char16_t seen = 0;
    for (const char16_t* at = in; at < end; ++at)
        seen |= *at;
    if (seen < 0x80) {
        for (; in < end; ++in)
            *out++ = char16_t(*in + (char16_t(*in - u'A') < 26 ? u'a' - u'A' : 0));
        return out;
    }
    while (in < end) {
        const char16_t unit = *in++;
        if (unit < 0x80) {
            *out++ = unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
        } else if (QChar::isHighSurrogate(unit) && in < end && QChar::isLowSurrogate(*in)) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(unit, *in++));
            // Simple folding keeps a character in its plane, so the pair stays a pair.
            *out++ = QChar::highSurrogate(folded);
            *out++ = QChar::lowSurrogate(folded);
        } else {
            *out++ = char16_t(QChar::toCaseFolded(char32_t(unit)));
        }
    }
    return out;
}

} // namespace

QString FoldedTexts::folded(QStringView text)
{
    QString result(text.size(), Qt::Uninitialized);
    appendFolded(text, reinterpret_cast<char16_t*>(result.data()));
    return result;
}

void FoldedTexts::clear()
{
    m_text.truncate(0);
    m_start.resize(1);
}

void FoldedTexts::reserve(qsizetype entries, qsizetype chars)
{
    m_text.reserve(m_text.size() + chars);
    m_start.reserve(m_start.size() + size_t(entries));
}

void FoldedTexts::append(std::initializer_list<QStringView> fields)
{
    qsizetype size = m_text.size();
    for (const QStringView field : fields)
        size += field.size() + 1;
    if (size > m_text.capacity())
        m_text.reserve(std::max(size, 2 * m_text.capacity()));
    const qsizetype start = m_text.size();
    m_text.resize(size);
    char16_t* out = reinterpret_cast<char16_t*>(m_text.data()) + start;
    for (const QStringView field : fields) {
        out = appendFolded(field, out);
        *out++ = kSeparator;
    }
    m_start.push_back(size);
}

qsizetype FoldedTexts::find(qsizetype from, qsizetype to, QStringView needle) const
{
    if (needle.isEmpty())
        return from < to ? from : -1;
    const auto* const text = reinterpret_cast<const char16_t*>(m_text.constData());
    const QChar first = needle.front();
    const QStringView rest = needle.sliced(1);
    const size_t restBytes = size_t(rest.size()) * sizeof(char16_t);
    const qsizetype last = to - needle.size(); // the last position a match can start at
    while (from <= last) {
        // Finding the first character is vectorised; most candidates fail on the next one.
        const qsizetype at = QStringView(text + from, last + 1 - from).indexOf(first);
        if (at < 0)
            return -1;
        from += at;
        if (std::memcmp(text + from + 1, rest.utf16(), restBytes) == 0)
            return from;
        ++from;
    }
    return -1;
}

qsizetype FoldedTexts::entryAt(qsizetype from, qsizetype at) const
{
    // The first entry starting after `at`, less one.
    const auto next = std::upper_bound(m_start.begin() + from + 1, m_start.end(), at);
    return qsizetype(next - m_start.begin()) - 1;
}

bool FoldedTexts::holds(qsizetype entry, QStringView needle) const
{
    return find(m_start[size_t(entry)], m_start[size_t(entry) + 1], needle) >= 0;
}

} // namespace marvono
