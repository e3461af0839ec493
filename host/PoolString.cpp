#include "host/PoolString.h"

#include <deque>
#include <string>
#include <unordered_map>

namespace {
struct Pool {
    std::deque<std::string> texts{std::string()};
    std::unordered_map<std::string, int> index{{std::string(), 0}};
};

Pool& ThePool()
{
    static Pool pool;
    return pool;
}
}  // namespace

const char* CPoolStringStorage::GetString(int nIndex)
{
    Pool& pool = ThePool();
    if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= pool.texts.size())
        return pool.texts.front().c_str();
    return pool.texts[static_cast<std::size_t>(nIndex)].c_str();
}

int CPoolStringStorage::Intern(const char* psz)
{
    Pool& pool = ThePool();
    std::string text(psz != nullptr ? psz : "");
    auto it = pool.index.find(text);
    if (it != pool.index.end())
        return it->second;
    const int n = static_cast<int>(pool.texts.size());
    pool.texts.push_back(text);
    pool.index.emplace(std::move(text), n);
    return n;
}

int CPoolStringStorage::GetCount() { return static_cast<int>(ThePool().texts.size()); }
