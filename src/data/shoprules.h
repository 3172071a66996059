#pragma once
// The rules a shop's data keeps in either engine. The windows never store data that breaks them;
// data that arrives whole from outside, such as a backup being recovered, is checked against them.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace marvono {

// Runs a query and gives its first row's fields as text (NULL as empty), an empty list when it
// returns no row; nothing, with the engine's message, when it fails.
using FirstRowQuery = std::function<std::optional<QStringList>(const char* sql, QString* error)>;

// True when the data has no product with stock below zero, no two products of one name, at least
// one login account and, where its version keeps receipts (`withReceipts`), a receipt counter at
// or above the highest receipt number. Otherwise false, with the first rule `source` breaks (or
// the engine's message) in `error`.
bool keepsShopRules(const FirstRowQuery& firstRow, bool withReceipts, const QString& source, QString* error);

} // namespace marvono
