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
    static std::int64_t Cell(std::int32_t v);
    static std::uint64_t Key(std::int64_t cx, std::int64_t cy);
    // Calls f with the key of every cell a pad is filed under.
    template <typename F>
    static void ForEachPadKey(const CLQRect& pad, F f);

    std::vector<Point> m_points;
    std::unordered_map<std::uint64_t, std::vector<int>> m_pointCells;
    std::vector<std::pair<const CLayoutPolygon*, int>> m_polygons;
    std::vector<std::pair<const CLayoutPin*, int>> m_pins;
    std::vector<CLQRect> m_filedPads;  // per pin, the pad as it was filed
    std::unordered_map<const CLayoutPin*, int> m_pinOf;
    std::unordered_map<std::uint64_t, std::vector<int>> m_padCells;
};
