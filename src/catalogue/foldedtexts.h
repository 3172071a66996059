#pragma once
// Case-folded copies of the texts a search reads, every entry's fields one after another in a
// single buffer: a search then runs one plain scan over all of them instead of a case-insensitive
// comparison per field, and no text is made while it runs.
#include <QString>
#include <QStringView>
#include <vector>

namespace marvono {

class FoldedTexts {
  public:
    // The text with every character case folded the way Qt's case-insensitive comparisons fold
    // it, one character at a time; the length stays the same.
    static QString folded(QStringView text);

    // Empties the texts; their room is kept for the next ones.
    void clear();
    // Makes room for `entries` more entries of `chars` characters in all, fields included.
    void reserve(qsizetype entries, qsizetype chars);
    // Adds one entry of `fields`; entries are numbered from 0 in the order they are added.
    void append(std::initializer_list<QStringView> fields);
    qsizetype size() const { return qsizetype(m_start.size()) - 1; }

    // Whether a folded needle can be looked for here: one holding the separator could match
    // across two fields.
    static bool canFind(QStringView needle) { return !needle.contains(kSeparator); }
    // Whether one of the entry's fields holds the folded needle (one that canFind()).
    bool holds(qsizetype entry, QStringView needle) const;
    // Calls found(entry), ascending, for every entry one of whose fields holds the folded needle
    // (one that canFind()); an empty needle is held by every entry.
    template <typename Found> void forEachHolding(QStringView needle, Found found) const
    {
        const qsizetype end = m_text.size();
        qsizetype at = 0;
        qsizetype entry = 0;
        while ((at = find(at, end, needle)) >= 0) {
            entry = entryAt(entry, at);
            found(entry);
            at = m_start[size_t(entry) + 1];
        }
    }

  private:
    static constexpr char16_t kSeparator = u'\0';
    // Where the needle starts in m_text within [from, to), or -1.
    qsizetype find(qsizetype from, qsizetype to, QStringView needle) const;
    // The entry holding position `at`, looking from entry `from` on.
    qsizetype entryAt(qsizetype from, qsizetype at) const;

    QString m_text;                    // every field folded and followed by the separator
    std::vector<qsizetype> m_start{0}; // where each entry starts, then where the last one ends
};

} // namespace marvono
