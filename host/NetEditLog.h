// The netlist's record of net edits. A board-wide pass records one per pin it moves, hundreds of
// thousands on a large board, so each is kept in two words: the flags ride in the low bits of the
// net's address, which a net's alignment leaves clear.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>

#include "host/Net.h"

class CNetEditLog {
    struct Packed {
        std::uintptr_t net;  // the net's address with the flags below
        CDrawObject* pObject;
    };
    static constexpr std::uintptr_t kAdd = 1, kBackAnnotate = 2;
    static_assert(alignof(CNet) > (kAdd | kBackAnnotate), "a net's address leaves no room for the flags");

public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CNetEdit;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = CNetEdit;

        Iterator() = default;
        explicit Iterator(std::deque<Packed>::const_iterator it) : m_it(it) {}
        CNetEdit operator*() const
        {
            return CNetEdit{(m_it->net & kAdd) != 0, reinterpret_cast<CNet*>(m_it->net & ~(kAdd | kBackAnnotate)),
                            m_it->pObject, (m_it->net & kBackAnnotate) != 0};
        }
        Iterator& operator++()
        {
            ++m_it;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++m_it;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_it == other.m_it; }

    private:
        std::deque<Packed>::const_iterator m_it;
    };

    void Add(const CNetEdit& edit)
    {
        m_edits.push_back(Packed{reinterpret_cast<std::uintptr_t>(edit.pNet) | (edit.bAdd ? kAdd : 0) |
                                     (edit.bBackAnnotate ? kBackAnnotate : 0),
                                 edit.pObject});
    }
    Iterator begin() const { return Iterator(m_edits.begin()); }
    Iterator end() const { return Iterator(m_edits.end()); }
    std::size_t size() const { return m_edits.size(); }
    bool empty() const { return m_edits.empty(); }
    void clear() { m_edits.clear(); }

private:
    std::deque<Packed> m_edits;
};
