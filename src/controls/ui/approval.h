#pragma once
// The gate of the commands kept for the owner: an operator with the owner's rights passes; any
// other gets a small box asking for an owner's name and password, and the approval is recorded
// with what it allowed.
#include <QString>

class QWidget;

namespace marvono {

// True when the operator logged in may do `what` ("delete a bill line"), now or with an owner's
// approval given in the box.
bool ownerAllows(QWidget* parent, const QString& what);

} // namespace marvono
