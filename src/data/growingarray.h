#pragma once
// An array of plain values that only grows at its end, kept in one block that realloc enlarges.
// A large block mostly grows where it lies, so a record set of many rows neither copies what it
// has read on each growth nor touches those pages again.
#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

namespace marvono {

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

    // Returns where the values went.
    qsizetype append(const T* values, qsizetype count)
    {
        if (m_size + count > m_capacity)
            grow(m_size + count);
        if (count > 0)
            std::memcpy(static_cast<void*>(m_data.get() + m_size), values, size_t(count) * sizeof(T));
        m_size += count;
        return m_size - count;
    }
    void push_back(const T& value)
    {
        if (m_size == m_capacity)
            grow(m_size + 1);
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

} // namespace marvono
