#pragma once
// What the operator types into a box that takes an amount or a quantity: a number, read into the
// form the database stores, or a code a barcode scanner typed into the wrong box.
#include <QString>
#include <QStringView>
#include <optional>

namespace marvono {

// The typed number in the stored form, "." as its decimal point: where the locale writes numbers
// with a decimal comma, one comma is read as the point ("0,60" -> "0.60"). An empty text stays
// empty; nothing when the text is not one number.
std::optional<QString> typedNumberText(const QString& text);

// What a barcode scanner types: eight or more digits and nothing else (EAN-8 and longer).
bool isScannedCodeText(QStringView text);

// Tells a scanner's typing from a person's by the time between keys: a scanner types a code's
// digits and its Enter a few milliseconds apart, far quicker than anyone types.
class KeyBurst {
  public:
    static constexpr qint64 kLongestGapMs = 50;
    static constexpr int kShortestCode = 8;

    // A key that types `character` at `ms`; true when it begins a new run of digits.
    bool typed(QChar character, qint64 ms);
    // A key that types nothing (Backspace, an arrow) ends the run.
    void interrupted() { m_digits = 0; }
    // Enter at `ms`: true when it ends a scanned code. The run ends either way.
    bool enterEndsScan(qint64 ms);

  private:
    int m_digits = 0;
    qint64 m_lastMs = 0;
};

} // namespace marvono
