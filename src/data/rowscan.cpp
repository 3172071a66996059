#include "data/rowscan.h"

#include "data/database.h"
#include "data/engine.h"

#include <algorithm>
#include <cstring>

namespace marvono {
namespace {

// FNV-1a: the texts are short, and a plain loop over their bytes beats a general hash on them.
size_t hashOf(QByteArrayView bytes)
{
    quint64 hash = 14695981039346656037ull;
    for (const char byte : bytes)
        hash = (hash ^ quint8(byte)) * 1099511628211ull;
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
    if (m_slots.size() < 2 * (m_entries.size() + 1)) {
        // Grown before it is half full, so every probe below ends at a free slot.
        std::vector<quint32> table(std::max<size_t>(64, 4 * m_slots.size()));
        const size_t mask = table.size() - 1;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            size_t slot = hashOf(m_entries[i].utf8) & mask;
            while (table[slot])
                slot = (slot + 1) & mask;
            table[slot] = quint32(i + 1);
        }
        m_slots.swap(table);
    }
    size_t slot = hashOf(utf8) & (m_slots.size() - 1);
    for (; m_slots[slot]; slot = (slot + 1) & (m_slots.size() - 1)) {
        const qsizetype entry = qsizetype(m_slots[slot]) - 1;
        if (same(m_entries[size_t(entry)].utf8, utf8)) {
            m_last = entry;
            return m_entries[size_t(entry)].text;
        }
    }
    m_entries.push_back({utf8.toByteArray(), QString::fromUtf8(utf8)});
    m_last = qsizetype(m_entries.size()) - 1;
    m_slots[slot] = quint32(m_entries.size());
    return m_entries.back().text;
}

bool scanRows(const QString& query, const QVariantList& values, const std::function<bool(const ScannedRow&)>& visit,
              QString* error)
{
    Engine* engine = Database::instance().engine(error);
    return engine && engine->scan(query, values, visit, error);
}

} // namespace marvono
