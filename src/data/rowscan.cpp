#include "data/rowscan.h"

#include "data/database.h"
#include "data/engine.h"

#include <cstring>

namespace marvono {
namespace {

// FNV-1a's low bits, which pick the place, take in the high ones too.
size_t hashOf(QByteArrayView bytes)
{
    const quint64 hash = fnv1a64(bytes);
    return size_t(hash ^ (hash >> 32));
}

bool same(const QByteArray& stored, QByteArrayView bytes)
{
    return stored.size() == bytes.size() &&
           (bytes.isEmpty() || std::memcmp(stored.constData(), bytes.data(), size_t(bytes.size())) == 0);
}

} // namespace

QString SharedTexts::text(QByteArrayView utf8)
{
    if (m_last >= 0 && same(m_entries[size_t(m_last)].utf8, utf8))
        return m_entries[size_t(m_last)].text;
    const quint32 count = quint32(m_entries.size());
    const quint32 entry = m_index.findOrAdd(
        hashOf(utf8), count, [&](quint32 number) { return same(m_entries[number].utf8, utf8); },
        [this](quint32 number) { return hashOf(m_entries[number].utf8); });
    m_last = entry;
    if (entry < count)
        return m_entries[entry].text;
    m_entries.push_back({utf8.toByteArray(), QString::fromUtf8(utf8)});
    return m_entries.back().text;
}

bool scanRows(const QString& query, const QVariantList& values, const std::function<bool(const ScannedRow&)>& visit,
              QString* error)
{
    Engine* engine = Database::instance().engine(error);
    return engine && engine->scan(query, values, visit, error);
}

} // namespace marvono
