// Spatial index that tells which copper touches which pad.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "host/DrawObject.h"
#include "host/DynArray.h"

class CLayoutPin;
class CLayoutPolygon;

class CConnectionIndex {
public:
    explicit CConnectionIndex(const std::vector<CDrawObject*>& objects);

    void Collect(const CLayoutPin* pPin, CZNDynArray<CDrawObject*>& copper, CZNDynArray<CDrawObject*>& others) const;
    // Files an indexed pin's pad again where it lies now; false for a pin the index does not hold.
    bool MovePin(const CLayoutPin* pPin);

private:
    struct Point {
        CLQPoint p;
        UINT nLayers;
        CDrawObject* pObject;
        int nOrder;
    };
    // Items filed by cell: one list per occupied cell, linked through the items, so that a board
    // of many pads costs a word per pad and a map entry per occupied cell.
    class CCellLists {
    public:
        void Add(std::uint64_t key, int n);
        void Remove(std::uint64_t key, int n);
        template <typename F>
        void ForEach(std::uint64_t key, F f) const
        {
            auto it = m_head.find(key);
            for (int n = it != m_head.end() ? it->second : -1; n >= 0; n = m_next[static_cast<std::size_t>(n)])
                f(n);
        }

    private:
        std::unordered_map<std::uint64_t, int> m_head;
        std::vector<int> m_next;
    };

    static std::int64_t Cell(std::int32_t v);
    static std::uint64_t Key(std::int64_t cx, std::int64_t cy);
    // Files pad n under the cell of its centre, or with the oversized ones.
    void FilePad(int n);

    std::vector<Point> m_points;
    CCellLists m_pointCells;
    std::vector<std::pair<const CLayoutPolygon*, int>> m_polygons;
    std::vector<std::pair<const CLayoutPin*, int>> m_pins;
    std::vector<std::uint64_t> m_padKeys;  // per pin, the cell it is filed under
    std::vector<int> m_pinOfObject;       // per store index, the pin's number or -1
    CCellLists m_padCells;
    // How many cells a filed pad reaches beyond its centre's, at most, on the low and high sides.
    std::int64_t m_reachLowX = 0, m_reachHighX = 0, m_reachLowY = 0, m_reachHighY = 0;
};
