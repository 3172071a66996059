#pragma once
// frmVoid: the reason for voiding a receipt, asked before the void is made.
#include <QString>
#include <optional>

class QWidget;

namespace marvono {

// The reason typed (never empty), or nothing when the operator cancels.
std::optional<QString> askVoidReason(QWidget* parent, qint64 receiptNumber);

} // namespace marvono
