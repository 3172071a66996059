#pragma once
// Boxes that take an amount or a quantity. A barcode scanned into one by mistake is never taken
// as a figure, and a text that is no number is refused naming the box, before anything is stored.
#include <QString>
#include <optional>

class QLineEdit;

namespace marvono {

// Watches the keys typed into `box`: the Enter that ends a scanner's burst of digits is not
// passed on (so no button is pressed by it), the burst is taken out of the box again, and the
// operator is told, the box named as `boxName`. Typing at a person's speed is left alone.
void guardAgainstScans(QLineEdit* box, const QString& boxName);

// True, after telling the operator, when the box holds what a scanner types.
bool refuseScannedCode(QLineEdit* box, const QString& boxName);

// The box's number in the stored form (an empty box gives an empty text); nothing, after telling
// the operator, when it holds a scanned code or a text that is no number.
std::optional<QString> checkedNumber(QLineEdit* box, const QString& boxName);

} // namespace marvono
