#pragma once
// The program's few hand-made containers and hashes, kept in flat blocks of plain values where
// the general ones cost too much on a hot path: reading large query results, sharing the texts
// that recur in a scan, keeping measured cell sizes.
#include <QByteArrayView>
#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace marvono {

// FNV-1a over bytes: the texts hashed are short, and a plain loop over their bytes beats a
// general hash on them.
inline quint64 fnv1a64(QByteArrayView bytes)
{
    quint64 hash = 14695981039346656037ull;
    for (const char byte : bytes)
        hash = (hash ^ quint8(byte)) * 1099511628211ull;
    return hash;
}

// Packs `low`, which must fit in `lowBits` bits, below `high` into one key.
constexpr quint64 packedKey(quint64 high, quint64 low, int lowBits)
{
    Q_ASSERT(lowBits < 64 && low >> lowBits == 0);
    return (high << lowBits) | low;
}

// An array of plain values that only grows at its end, kept in one block that realloc enlarges.
// A large block mostly grows where it lies, so a record set of many rows neither copies what it
// has read on each growth nor touches those pages again.
template <typename T> class GrowingArray {
    static_assert(std::is_trivially_copyable_v<T>, "the block is moved byte for byte");

  public:
    qsizetype size() const { return m_size; }
    const T* data() const { return m_data.get(); }
    const T* begin() const { return m_data.get(); }
    const T* end() const { return m_size > 0 ? m_data.get() + m_size : m_data.get(); }
    T& operator[](size_t i) { return m_data.get()[i]; }
    const T& operator[](size_t i) const { return m_data.get()[i]; }
    T& back() { return m_data.get()[m_size - 1]; }
    void pop_back() { --m_size; }

    // Returns where the values went. They may lie in this array itself.
    qsizetype append(const T* values, qsizetype count)
    {
        if (m_size + count > m_capacity) {
            const T* const old = m_data.get();
            const qsizetype own = count > 0 && values >= old && values < old + m_size ? values - old : -1;
            grow(m_size + count);
            if (own >= 0)
                values = m_data.get() + own;
        }
        if (count > 0)
            std::memcpy(static_cast<void*>(m_data.get() + m_size), values, size_t(count) * sizeof(T));
        m_size += count;
        return m_size - count;
    }
    void push_back(const T& value)
    {
        if (m_size == m_capacity) {
            const T copy = value; // `value` may lie in the block that growing frees
            grow(m_size + 1);
            m_data.get()[m_size++] = copy;
            return;
        }
        m_data.get()[m_size++] = value;
    }

  private:
    void grow(qsizetype size)
    {
        const qsizetype capacity = std::max({size, 2 * m_capacity, qsizetype(256 / sizeof(T))});
        void* grown = std::realloc(static_cast<void*>(m_data.get()), size_t(capacity) * sizeof(T));
        Q_CHECK_PTR(grown);
        (void)m_data.release();
        m_data.reset(static_cast<T*>(grown));
        m_capacity = capacity;
    }

    struct Free {
        void operator()(T* data) const { std::free(static_cast<void*>(data)); }
    };
    std::unique_ptr<T, Free> m_data;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
};

// An open-addressed index over entries its owner keeps in an array of its own, numbered from 0
// in the order they were added: a power of two of places, linear probing, at most half full, so
// that every probe ends at a free place and seldom compares twice. The owner hashes and compares
// its entries itself, as suits their kind.
class ProbeIndex {
  public:
    // The table grows to `growth` times its size (at least 64 places) when half full.
    explicit ProbeIndex(size_t growth = 2) : m_growth(growth) {}

    // The number of the entry with `hash` for which matches(number) holds; or else `count`, the
    // number of entries so far, which the owner must then add as its next entry. hashOf(number)
    // gives an entry's hash again when the table grows.
    template <typename Matches, typename HashOf>
    quint32 findOrAdd(size_t hash, quint32 count, Matches&& matches, HashOf&& hashOf)
    {
        if (m_places.size() < 2 * (size_t(count) + 1))
            grow(count, hashOf);
        const size_t mask = m_places.size() - 1;
        size_t place = hash & mask;
        for (; m_places[place]; place = (place + 1) & mask) {
            const quint32 number = m_places[place] - 1;
            if (matches(number))
                return number;
        }
        m_places[place] = count + 1;
        return count;
    }

  private:
    template <typename HashOf> void grow(quint32 count, HashOf& hashOf)
    {
        std::vector<quint32> places(std::max<size_t>(64, m_growth * m_places.size()));
        const size_t mask = places.size() - 1;
        for (quint32 number = 0; number < count; ++number) {
            size_t place = size_t(hashOf(number)) & mask;
            while (places[place])
                place = (place + 1) & mask;
            places[place] = number + 1;
        }
        m_places.swap(places);
    }

    std::vector<quint32> m_places; // entry numbers plus one, 0 where free
    size_t m_growth;
};

// Values kept by a 64-bit key in a fixed number of places, one place per key modulo that number:
// a key evicts whichever key had its place. Neighbouring keys, as neighbouring cells of a list
// have, then never evict each other, and a walk down a column reads the places in order.
template <typename T> class KeyedPlaces {
  public:
    // The one key that names no value.
    static constexpr quint64 kNoKey = ~quint64(0);

    explicit KeyedPlaces(size_t places) : m_count(places) {}

    // Whether no place is kept; the first value() makes them all.
    bool isEmpty() const { return m_places.empty(); }
    // Forgets every value and frees the places.
    void clear() { m_places = {}; }
    // Forgets every value, keeping (or making) the places.
    void reset() { m_places.assign(m_count, Place()); }

    // The value kept for `key` (not kNoKey), made by make() when its place holds another key.
    template <typename Make> const T& value(quint64 key, Make&& make)
    {
        Q_ASSERT(key != kNoKey);
        if (m_places.empty())
            reset();
        Place& place = m_places[size_t(key % m_count)];
        if (place.key != key) {
            place.value = make();
            place.key = key;
        }
        return place.value;
    }

  private:
    struct Place {
        quint64 key = kNoKey;
        T value{};
    };
    std::vector<Place> m_places;
    size_t m_count;
};

} // namespace marvono
