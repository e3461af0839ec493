#include "app/refine/SpanningTree.h"

#include <algorithm>
#include <numeric>

#include "app/metrics/Airwires.h"

namespace lq {

namespace {

constexpr auto kFar = ~static_cast<unsigned __int128>(0);

// lqhost's own tree, measured; edges receives it when given.
std::uint64_t Prim(const std::vector<Point>& points, std::vector<TreeEdge>* edges, std::uint64_t& work)
{
    std::uint64_t length = 0;
    for (const auto& [a, b] : MinimumSpanningTree(points)) {
        const unsigned __int128 d = SquaredDistance(points[a], points[b]);
        length += IntegerSqrt(d);
        if (edges != nullptr)
            edges->push_back(TreeEdge{static_cast<int>(a), static_cast<int>(b), d});
    }
    work += points.size() * points.size() / 2;
    return length;
}

struct Sets {
    std::vector<int> up;
    explicit Sets(std::size_t n) : up(n) { std::iota(up.begin(), up.end(), 0); }
    int Find(int a)
    {
        while (up[a] != a)
            a = up[a] = up[up[a]];
        return a;
    }
    bool Join(int a, int b)
    {
        a = Find(a), b = Find(b);
        if (a == b)
            return false;
        up[b] = a;
        return true;
    }
};

// Kruskal over candidate edges that hold a spanning tree of n points.
std::uint64_t Kruskal(std::size_t n, std::vector<TreeEdge>& candidates, std::vector<TreeEdge>* edges)
{
    std::sort(candidates.begin(), candidates.end(), [](const TreeEdge& x, const TreeEdge& y) {
        return x.squared != y.squared ? x.squared < y.squared : std::tie(x.a, x.b) < std::tie(y.a, y.b);
    });
    Sets sets(n);
    std::uint64_t length = 0;
    std::size_t joined = 0;
    for (const TreeEdge& e : candidates) {
        if (joined + 1 >= n)
            break;
        if (!sets.Join(e.a, e.b))
            continue;
        ++joined;
        length += IntegerSqrt(e.squared);
        if (edges != nullptr)
            edges->push_back(e);
    }
    return length;
}

}  // namespace

std::uint64_t SpanningLength(const std::vector<Point>& points, std::uint64_t& work)
{
    constexpr std::size_t kSmall = 12;
    const std::size_t n = points.size();
    if (n < 2 || n > kSmall)
        return Prim(points, nullptr, work);
    // The same on the stack, for the small nets that most moves touch.
    unsigned __int128 best[kSmall];
    bool inTree[kSmall] = {};
    for (std::size_t i = 1; i < n; ++i)
        best[i] = SquaredDistance(points[0], points[i]);
    inTree[0] = true;
    std::uint64_t length = 0;
    for (std::size_t added = 1; added < n; ++added) {
        std::size_t next = 0;
        for (std::size_t i = 1; i < n; ++i)
            if (!inTree[i] && (next == 0 || best[i] < best[next]))
                next = i;
        inTree[next] = true;
        length += IntegerSqrt(best[next]);
        for (std::size_t i = 1; i < n; ++i)
            if (!inTree[i]) {
                const unsigned __int128 d = SquaredDistance(points[next], points[i]);
                if (d < best[i])
                    best[i] = d;
            }
    }
    work += n * (n - 1) / 2;
    return length;
}

void InsertionTree::Reset(const std::vector<Point>& points, std::uint64_t& work)
{
    m_points = points;
    m_edges.clear();
    m_length = Prim(m_points, &m_edges, work);
    std::sort(m_edges.begin(), m_edges.end(), [](const TreeEdge& x, const TreeEdge& y) { return x.squared < y.squared; });
    m_floors.clear();
    for (const TreeEdge& e : m_edges)
        m_floors.push_back(IntegerSqrt(e.squared));
}

std::uint64_t InsertionTree::LengthWith(const Point& added, std::uint64_t& work) const
{
    const std::size_t n = m_points.size();
    if (n == 0)
        return 0;
    if (n == 1) {
        ++work;
        return IntegerSqrt(SquaredDistance(m_points[0], added));
    }
    if (n == 2) {
        // Three points: the two shorter of the three sides.
        work += 2;
        const unsigned __int128 d0 = SquaredDistance(m_points[0], added), d1 = SquaredDistance(m_points[1], added);
        const unsigned __int128 r = m_edges[0].squared;
        if (r >= d0 && r >= d1)
            return IntegerSqrt(d0) + IntegerSqrt(d1);
        return m_length + IntegerSqrt(d0 < d1 ? d0 : d1);
    }
    constexpr std::size_t kMax = 32;
    if (n >= kMax) {
        std::vector<Point> all = m_points;
        all.push_back(added);
        return Prim(all, nullptr, work);
    }
    // The edges to the new point, shortest first (insertion sort: n is small).
    unsigned __int128 star[kMax];
    int order[kMax];
    for (std::size_t i = 0; i < n; ++i) {
        star[i] = SquaredDistance(m_points[i], added);
        std::size_t j = i;
        for (; j > 0 && star[order[j - 1]] > star[i]; --j)
            order[j] = order[j - 1];
        order[j] = static_cast<int>(i);
    }
    work += n;
    // Kruskal over both lists, merged; the new point is number n.
    int up[kMax + 1];
    for (std::size_t i = 0; i <= n; ++i)
        up[i] = static_cast<int>(i);
    auto find = [&](int a) {
        while (up[a] != a)
            a = up[a] = up[up[a]];
        return a;
    };
    std::uint64_t length = 0;
    std::size_t joined = 0, t = 0, s = 0;
    while (joined < n) {
        const bool takeTree = t < m_edges.size() && (s >= n || m_edges[t].squared <= star[order[s]]);
        int a, b;
        if (takeTree) {
            a = m_edges[t].a, b = m_edges[t].b;
        } else {
            a = order[s], b = static_cast<int>(n);
        }
        a = find(a), b = find(b);
        if (a != b) {
            up[b] = a;
            ++joined;
            length += takeTree ? m_floors[t] : IntegerSqrt(star[order[s]]);
        }
        (takeTree ? t : s) += 1;
    }
    return length;
}

SpanningTree::SpanningTree(std::vector<Point> points, std::uint64_t& work) : m_points(std::move(points))
{
    m_length = Prim(m_points, &m_edges, work);
}

std::uint64_t SpanningTree::LengthAfter(int removed, bool hasAdded, const Point& added, std::uint64_t& work) const
{
    return Rebuild(removed, hasAdded, added, nullptr, work);
}

void SpanningTree::Change(int removed, bool hasAdded, const Point& added, std::uint64_t& work)
{
    std::vector<TreeEdge> edges;
    m_length = Rebuild(removed, hasAdded, added, &edges, work);
    m_edges = std::move(edges);
    if (removed >= 0)
        m_points.erase(m_points.begin() + removed);
    if (hasAdded)
        m_points.push_back(added);
}

std::uint64_t SpanningTree::Rebuild(int removed, bool hasAdded, const Point& added, std::vector<TreeEdge>* edges,
                                    std::uint64_t& work) const
{
    const int n = static_cast<int>(m_points.size());
    if (removed < 0 && !hasAdded) {
        if (edges != nullptr)
            *edges = m_edges;
        return m_length;
    }
    // The kept points in their new numbering.
    const int kept = removed >= 0 ? n - 1 : n;
    auto point = [&](int i) -> const Point& { return m_points[removed >= 0 && i >= removed ? i + 1 : i]; };
    auto renumber = [&](int i) { return removed >= 0 && i > removed ? i - 1 : i; };

    std::vector<TreeEdge> forest;
    forest.reserve(static_cast<std::size_t>(n) * 2);
    for (const TreeEdge& e : m_edges)
        if (e.a != removed && e.b != removed)
            forest.push_back(TreeEdge{renumber(e.a), renumber(e.b), e.squared});

    if (removed >= 0 && kept > 1 && static_cast<int>(forest.size()) < kept - 1) {
        // Rejoin the pieces by the shortest edge between each pair of them.
        Sets sets(static_cast<std::size_t>(kept));
        for (const TreeEdge& e : forest)
            sets.Join(e.a, e.b);
        std::vector<int> piece(static_cast<std::size_t>(kept), -1), roots;
        std::vector<int> size;
        for (int i = 0; i < kept; ++i) {
            const int r = sets.Find(i);
            auto it = std::find(roots.begin(), roots.end(), r);
            if (it == roots.end()) {
                roots.push_back(r);
                size.push_back(0);
                it = roots.end() - 1;
            }
            piece[i] = static_cast<int>(it - roots.begin());
            ++size[piece[i]];
        }
        const int k = static_cast<int>(roots.size());
        const int largest = static_cast<int>(std::max_element(size.begin(), size.end()) - size.begin());
        std::vector<TreeEdge> between(static_cast<std::size_t>(k * k), TreeEdge{-1, -1, kFar});
        for (int u = 0; u < kept; ++u) {
            if (piece[u] == largest)
                continue;
            for (int v = 0; v < kept; ++v) {
                if (piece[v] == piece[u])
                    continue;
                const unsigned __int128 d = SquaredDistance(point(u), point(v));
                TreeEdge& slot = between[static_cast<std::size_t>(std::min(piece[u], piece[v]) * k + std::max(piece[u], piece[v]))];
                if (d < slot.squared)
                    slot = TreeEdge{u, v, d};
            }
            work += static_cast<std::uint64_t>(kept);
        }
        // The shortest links between pieces, joined smallest first over the pieces.
        std::vector<int> order;
        for (int i = 0; i < k * k; ++i)
            if (between[static_cast<std::size_t>(i)].a >= 0)
                order.push_back(i);
        std::sort(order.begin(), order.end(), [&](int x, int y) {
            return between[static_cast<std::size_t>(x)].squared != between[static_cast<std::size_t>(y)].squared
                       ? between[static_cast<std::size_t>(x)].squared < between[static_cast<std::size_t>(y)].squared
                       : x < y;
        });
        Sets pieces(static_cast<std::size_t>(k));
        for (int i : order)
            if (pieces.Join(i / k, i % k))
                forest.push_back(between[static_cast<std::size_t>(i)]);
    }

    if (!hasAdded) {
        std::uint64_t length = 0;
        for (const TreeEdge& e : forest)
            length += IntegerSqrt(e.squared);
        if (edges != nullptr)
            *edges = std::move(forest);
        return length;
    }
    const int y = kept;
    for (int i = 0; i < kept; ++i)
        forest.push_back(TreeEdge{i, y, SquaredDistance(point(i), added)});
    work += static_cast<std::uint64_t>(kept);
    return Kruskal(static_cast<std::size_t>(kept + 1), forest, edges);
}

}  // namespace lq
