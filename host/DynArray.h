// The host's growable array.
#pragma once
#include <vector>

template <class T>
class CZNDynArray {
public:
    explicit CZNDynArray(int nInitialCapacity = 0) { m_data.reserve(nInitialCapacity > 0 ? static_cast<std::size_t>(nInitialCapacity) : 0u); }

    int GetCount() const { return static_cast<int>(m_data.size()); }
    int GetSize() const { return GetCount(); }
    T& operator[](int i) { return m_data.at(static_cast<std::size_t>(i)); }
    const T& operator[](int i) const { return m_data.at(static_cast<std::size_t>(i)); }
    T GetAt(int i) const { return m_data.at(static_cast<std::size_t>(i)); }
    void Add(const T& v) { m_data.push_back(v); }
    void RemoveAll() { m_data.clear(); }
    int GetCapacity() const { return static_cast<int>(m_data.capacity()); }

    auto begin() { return m_data.begin(); }
    auto end() { return m_data.end(); }
    auto begin() const { return m_data.begin(); }
    auto end() const { return m_data.end(); }

private:
    std::vector<T> m_data;
};
