// A list that keeps its first few items in place: most nets have three or four pins, and reading
// a net's pins should not cost a second trip to memory after its record.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

template <class T, std::uint32_t N>
class CLQSmallList {
public:
    std::size_t size() const { return m_n; }
    const T* begin() const { return m_pMore ? m_pMore.get() : m_inPlace; }
    const T* end() const { return begin() + m_n; }
    T& operator[](std::size_t k) { return Data()[k]; }
    T& back() { return Data()[m_n - 1]; }
    void pop_back() { --m_n; }
    void push_back(const T& item)
    {
        if (m_n == Capacity()) {
            auto more = std::make_unique<T[]>(2 * static_cast<std::size_t>(Capacity()));
            std::copy(begin(), end(), more.get());
            m_capacity = 2 * Capacity();
            m_pMore = std::move(more);
        }
        Data()[m_n++] = item;
    }

private:
    std::uint32_t Capacity() const { return m_pMore ? m_capacity : N; }
    T* Data() { return m_pMore ? m_pMore.get() : m_inPlace; }

    std::uint32_t m_n = 0, m_capacity = 0;  // the capacity of m_pMore
    std::unique_ptr<T[]> m_pMore;           // all the items once they outgrow the place
    T m_inPlace[N];
};
