#include "app/refine/WireModel.h"

#include <algorithm>
#include <map>

namespace lq {

namespace {
// From this many pins on, a net keeps its tree and updates it.
constexpr std::size_t kLargeNet = 24;
}  // namespace

WireModel::WireModel(std::vector<Point> pinAt, std::vector<int> netOfPin, std::size_t netCount)
    : m_at(std::move(pinAt)), m_netOf(std::move(netOfPin)), m_nets(netCount), m_touchOf(netCount, -1)
{
    for (std::size_t p = 0; p < m_netOf.size(); ++p)
        if (m_netOf[p] >= 0)
            m_nets[static_cast<std::size_t>(m_netOf[p])].members.push_back(static_cast<int>(p));
    for (NetState& net : m_nets) {
        Rebuild(net);
        m_total += net.length;
    }
}

void WireModel::Rebuild(NetState& net)
{
    m_scratch.clear();
    for (int p : net.members)
        m_scratch.push_back(m_at[static_cast<std::size_t>(p)]);
    net.large = net.members.size() >= kLargeNet;
    if (net.large) {
        net.tree = SpanningTree(m_scratch, m_work);
        net.length = net.tree.Length();
    } else {
        net.tree = SpanningTree();
        net.length = SpanningLength(m_scratch, m_work);
    }
}

void WireModel::Collect(std::span<const PinMove> moves)
{
    for (std::size_t i = 0; i < m_touchCount; ++i)
        m_touchOf[static_cast<std::size_t>(m_touches[i].net)] = -1;
    m_touchCount = 0;
    auto touch = [&](int net) -> Touch& {
        int& slot = m_touchOf[static_cast<std::size_t>(net)];
        if (slot < 0) {
            slot = static_cast<int>(m_touchCount++);
            if (m_touches.size() < m_touchCount)
                m_touches.emplace_back();
            Touch& t = m_touches[static_cast<std::size_t>(slot)];
            t.net = net;
            t.leaving.clear();
            t.arriving.clear();
        }
        return m_touches[static_cast<std::size_t>(slot)];
    };
    for (const PinMove& m : moves) {
        const int from = NetOf(m.pin);
        if (from == m.net)
            continue;
        if (from >= 0) {
            const std::vector<int>& members = Members(from);
            touch(from).leaving.push_back(static_cast<int>(std::find(members.begin(), members.end(), m.pin) - members.begin()));
        }
        if (m.net >= 0)
            touch(m.net).arriving.push_back(m.pin);
    }
}

std::uint64_t WireModel::LengthAfter(const Touch& t)
{
    const NetState& net = m_nets[static_cast<std::size_t>(t.net)];
    if (net.members.size() - t.leaving.size() + t.arriving.size() < 2)
        return 0;
    if (net.large && t.leaving.size() <= 1 && t.arriving.size() <= 1)
        return net.tree.LengthAfter(t.leaving.empty() ? -1 : t.leaving[0], !t.arriving.empty(),
                                    t.arriving.empty() ? Point{} : At(t.arriving[0]), m_work);
    m_scratch.clear();
    for (std::size_t i = 0; i < net.members.size(); ++i)
        if (std::find(t.leaving.begin(), t.leaving.end(), static_cast<int>(i)) == t.leaving.end())
            m_scratch.push_back(At(net.members[i]));
    for (int p : t.arriving)
        m_scratch.push_back(At(p));
    return SpanningLength(m_scratch, m_work);
}

std::uint64_t WireModel::LengthReplacing(int net, int memberPosition, const Point& added)
{
    const NetState& n = m_nets[static_cast<std::size_t>(net)];
    if (n.large)
        return n.tree.LengthAfter(memberPosition, true, added, m_work);
    m_scratch.clear();
    for (std::size_t i = 0; i < n.members.size(); ++i)
        if (static_cast<int>(i) != memberPosition)
            m_scratch.push_back(At(n.members[i]));
    m_scratch.push_back(added);
    return SpanningLength(m_scratch, m_work);
}

std::int64_t WireModel::Delta(std::span<const PinMove> moves)
{
    Collect(moves);
    std::int64_t delta = 0;
    for (std::size_t i = 0; i < m_touchCount; ++i)
        delta += static_cast<std::int64_t>(LengthAfter(m_touches[i])) - static_cast<std::int64_t>(NetLength(m_touches[i].net));
    return delta;
}

void WireModel::Apply(std::span<const PinMove> moves)
{
    Collect(moves);
    ++m_changes;
    m_touched.clear();
    for (std::size_t i = 0; i < m_touchCount; ++i) {
        Touch& t = m_touches[i];
        NetState& net = m_nets[static_cast<std::size_t>(t.net)];
        ++net.version;
        m_touched.push_back(t.net);
        m_total -= net.length;
        const bool simple = net.large && t.leaving.size() <= 1 && t.arriving.size() <= 1;
        if (simple)
            net.tree.Change(t.leaving.empty() ? -1 : t.leaving[0], !t.arriving.empty(),
                            t.arriving.empty() ? Point{} : At(t.arriving[0]), m_work);
        std::sort(t.leaving.begin(), t.leaving.end(), std::greater<>());
        for (int i : t.leaving)
            net.members.erase(net.members.begin() + i);
        net.members.insert(net.members.end(), t.arriving.begin(), t.arriving.end());
        if (simple && net.members.size() >= kLargeNet)
            net.length = net.tree.Length();
        else
            Rebuild(net);
        m_total += net.length;
    }
    for (const PinMove& m : moves) {
        int& net = m_netOf[static_cast<std::size_t>(m.pin)];
        if (net == m.net)
            continue;
        if (m_logging)
            m_log.push_back(PinMove{m.pin, net});
        net = m.net;
    }
}

void WireModel::OpenLog()
{
    m_logging = true;
    m_log.clear();
}

void WireModel::Undo()
{
    // The earliest entry of each pin holds the net it had when the log was opened.
    std::map<int, int> first;
    for (const PinMove& m : m_log)
        first.emplace(m.pin, m.net);
    std::vector<PinMove> back;
    for (const auto& [pin, net] : first)
        back.push_back(PinMove{pin, net});
    m_logging = false;
    Apply(back);
    m_logging = true;
    m_log.clear();
}

void WireModel::CloseLog()
{
    m_logging = false;
    m_log.clear();
}

}  // namespace lq
