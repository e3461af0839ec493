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

private:
    struct Point {
        CLQPoint p;
        UINT nLayers;
        CDrawObject* pObject;
        int nOrder;
    };
    static std::int64_t Cell(std::int32_t v);
    static std::uint64_t Key(std::int64_t cx, std::int64_t cy);

    std::vector<Point> m_points;
    std::unordered_map<std::uint64_t, std::vector<int>> m_pointCells;
    std::vector<std::pair<const CLayoutPolygon*, int>> m_polygons;
    std::vector<std::pair<const CLayoutPin*, int>> m_pins;
    std::unordered_map<std::uint64_t, std::vector<int>> m_padCells;
};
