// A swap item with a table of distances that logs every call made on it, for the engines' tests.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "module/swap/SwapItem.h"

namespace lqtest {

// An entry of the connection-data lists that the fake hands out; counts its own destruction so
// that a list released twice or never shows up.
class CCountedEntry : public CObject {
public:
    explicit CCountedEntry(std::string tag);
    ~CCountedEntry() override;
    const std::string& Tag() const { return m_tag; }

    static int Made();
    static int Live();
    static void ResetCounts();

private:
    std::string m_tag;
};

// Shared by all fakes of one test. cost[a][c] is what item a would cost on connection c.
struct FakeWorld {
    static constexpr int kNone = -1;

    std::vector<std::vector<std::int64_t>> cost;
    // Replaces the table when set: (measuring item id, measured item id, its live connection).
    std::function<std::int64_t(int, int, int)> measure;
    std::vector<std::string> log;
    int nDistanceCalls = 0;
    int nDataNotNull = 0;

    // Only the distance requests of the log.
    std::vector<std::string> Distances() const;
    // Only the connection changes of the log (Unconnect, Connect, Refresh).
    std::vector<std::string> Changes() const;
};

// Connection protocol of the real items: Connect takes what the other item remembers, Refresh
// remembers the live connection.
class CFakeItem : public CSwapItem {
public:
    CFakeItem(FakeWorld& world, int id, int connection);

    int Id() const { return m_id; }
    int Live() const { return m_live; }
    int Remembered() const { return m_remembered; }

    bool CanSwap(CSwapItem*, SWAPACTION, bool, bool, bool) override { return true; }
    // Logs "D<a>,<b>#<serial>=<value>" and hands back a list with one entry tagged "L<a>,<b>#<serial>".
    std::int64_t GetDistance(CSwapItem* other, CObject**& data, std::int64_t fallback) override;
    CString GetSearchID() override { return CString(); }
    bool IsConnected() override { return m_live != FakeWorld::kNone; }
    void Refresh() override;
    void Swap(CSwapItem* other, CObject** data) override;
    bool Swap(CSwapItem*) override { return false; }
    void Connect(CSwapItem* other, CObject** data) override;
    void Unconnect() override;

private:
    FakeWorld& m_world;
    int m_id;
    int m_live;
    int m_remembered;
};

// Tag of the first entry of a list, or "-" for a null list.
std::string ListTag(CObject** data);

}  // namespace lqtest
