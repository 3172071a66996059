#include "data/rowscan.h"

#include "data/database.h"
#include "data/engine.h"

namespace marvono {

QString SharedTexts::text(QByteArrayView utf8)
{
    const std::string_view bytes(utf8.data(), size_t(utf8.size()));
    if (m_last && m_last->first == bytes)
        return m_last->second;
    auto found = m_texts.find(bytes);
    if (found == m_texts.end())
        found = m_texts.emplace(bytes, QString::fromUtf8(utf8)).first;
    m_last = &*found;
    return found->second;
}

bool scanRows(const QString& query, const QVariantList& values, const std::function<bool(const ScannedRow&)>& visit,
              QString* error)
{
    Engine* engine = Database::instance().engine(error);
    return engine && engine->scan(query, values, visit, error);
}

} // namespace marvono
