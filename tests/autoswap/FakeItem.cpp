#include "tests/autoswap/FakeItem.h"

namespace lqtest {

namespace {
int g_nMade = 0;
int g_nLive = 0;
int g_nSerial = 0;

bool StartsWith(const std::string& s, char c) { return !s.empty() && s[0] == c; }
}  // namespace

CCountedEntry::CCountedEntry(std::string tag) : m_tag(std::move(tag))
{
    ++g_nMade;
    ++g_nLive;
}

CCountedEntry::~CCountedEntry() { --g_nLive; }

int CCountedEntry::Made() { return g_nMade; }
int CCountedEntry::Live() { return g_nLive; }
void CCountedEntry::ResetCounts()
{
    g_nMade = 0;
    g_nLive = 0;
    g_nSerial = 0;
}

std::vector<std::string> FakeWorld::Distances() const
{
    std::vector<std::string> out;
    for (const std::string& s : log)
        if (StartsWith(s, 'D'))
            out.push_back(s);
    return out;
}

std::vector<std::string> FakeWorld::Changes() const
{
    std::vector<std::string> out;
    for (const std::string& s : log)
        if (!StartsWith(s, 'D'))
            out.push_back(s);
    return out;
}

CFakeItem::CFakeItem(FakeWorld& world, int id, int connection)
    : m_world(world), m_id(id), m_live(connection), m_remembered(connection)
{
}

std::int64_t CFakeItem::GetDistance(CSwapItem* other, CObject**& data, std::int64_t fallback)
{
    ++m_world.nDistanceCalls;
    if (data != nullptr)
        ++m_world.nDataNotNull;
    auto* pOther = dynamic_cast<CFakeItem*>(other);
    if (pOther == nullptr)
        return -1;
    const int serial = ++g_nSerial;
    const std::string pair = std::to_string(m_id) + "," + std::to_string(pOther->m_id) + "#" + std::to_string(serial);
    std::int64_t d = fallback;
    if (pOther->m_live != FakeWorld::kNone) {
        d = m_world.measure ? m_world.measure(m_id, pOther->m_id, pOther->m_live)
                            : m_world.cost[static_cast<std::size_t>(m_id)][static_cast<std::size_t>(pOther->m_live)];
    }
    m_world.log.push_back("D" + pair + "=" + std::to_string(d));
    data = new CObject*[2]{new CCountedEntry("L" + pair), nullptr};
    return d;
}

void CFakeItem::Refresh()
{
    m_remembered = m_live;
    m_world.log.push_back("R" + std::to_string(m_id));
}

void CFakeItem::Swap(CSwapItem* other, CObject** data)
{
    Unconnect();
    Connect(other, data);
}

void CFakeItem::Connect(CSwapItem* other, CObject** data)
{
    auto* pOther = dynamic_cast<CFakeItem*>(other);
    m_world.log.push_back("C" + std::to_string(m_id) + "<" + (pOther ? std::to_string(pOther->m_id) : "?") + " " +
                          ListTag(data));
    if (pOther != nullptr)
        m_live = pOther->m_remembered;
}

void CFakeItem::Unconnect()
{
    m_live = FakeWorld::kNone;
    m_world.log.push_back("U" + std::to_string(m_id));
}

std::string ListTag(CObject** data)
{
    if (data == nullptr || data[0] == nullptr)
        return "-";
    auto* pEntry = dynamic_cast<CCountedEntry*>(data[0]);
    return pEntry != nullptr ? pEntry->Tag() : "?";
}

}  // namespace lqtest
