// Reading a module's resources: its string table, cursors and bitmaps.
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "host/Extension.h"

namespace {
std::map<UINT, std::string> ParseStringTable(const LQ_RESOURCE& r)
{
    std::map<UINT, std::string> table;
    const std::string text(reinterpret_cast<const char*>(r.pData), r.nSize);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0)
            continue;
        UINT id = 0;
        bool bNumber = true;
        for (std::size_t i = 0; i < tab; ++i) {
            if (line[i] < '0' || line[i] > '9' || id > 100000000u) {
                bNumber = false;
                break;
            }
            id = id * 10 + static_cast<UINT>(line[i] - '0');
        }
        if (bNumber)
            table[id] = line.substr(tab + 1);
    }
    return table;
}

const std::map<UINT, std::string>* StringTable(HINSTANCE hInstance)
{
    static std::map<const unsigned char*, std::map<UINT, std::string>> cache;
    const LQ_RESOURCE* r = AfxFindResource(hInstance, RT_STRING, 1);
    if (r == nullptr)
        return nullptr;
    auto it = cache.find(r->pData);
    if (it == cache.end())
        it = cache.emplace(r->pData, ParseStringTable(*r)).first;
    return &it->second;
}

unsigned Le16(const unsigned char* p) { return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8); }
std::uint32_t Le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Image {
    LQ_IMAGEINFO info;
};

std::deque<Image>& Images()
{
    static std::deque<Image> images;
    return images;
}

// A .cur file: directory of one 1-bit image whose DIB holds the XOR and AND masks.
bool ParseCursor(const LQ_RESOURCE& r, LQ_IMAGEINFO& info)
{
    const unsigned char* p = r.pData;
    if (r.nSize < 6 + 16 + 40 || Le16(p) != 0 || Le16(p + 2) != 2 || Le16(p + 4) < 1)
        return false;
    const unsigned char* e = p + 6;
    const int w = e[0] == 0 ? 256 : e[0];
    const int h = e[1] == 0 ? 256 : e[1];
    const std::uint32_t nBytes = Le32(e + 8), nOffset = Le32(e + 12);
    if (nOffset > r.nSize || nBytes > r.nSize - nOffset || nBytes < 40)
        return false;
    const unsigned char* dib = p + nOffset;
    const std::int32_t dibW = static_cast<std::int32_t>(Le32(dib + 4)), dibH = static_cast<std::int32_t>(Le32(dib + 8));
    const int bpp = static_cast<int>(Le16(dib + 14));
    if (Le32(dib) != 40 || dibW != w || dibH != 2 * h)
        return false;
    const std::size_t nStride = static_cast<std::size_t>(((w * bpp + 31) / 32) * 4);
    const std::size_t nMask = static_cast<std::size_t>(((w + 31) / 32) * 4);
    const std::size_t nColours = bpp <= 8 ? (std::size_t{1} << bpp) : 0;
    if (40 + nColours * 4 + nStride * static_cast<std::size_t>(h) + nMask * static_cast<std::size_t>(h) > nBytes)
        return false;
    info = LQ_IMAGEINFO{r.nID, w, h, bpp, static_cast<int>(Le16(e + 4)), static_cast<int>(Le16(e + 6))};
    return true;
}

// A .bmp file with a BITMAPINFOHEADER.
bool ParseBitmap(const LQ_RESOURCE& r, LQ_IMAGEINFO& info)
{
    const unsigned char* p = r.pData;
    if (r.nSize < 14 + 40 || p[0] != 'B' || p[1] != 'M' || Le32(p + 14) != 40)
        return false;
    const std::int32_t w = static_cast<std::int32_t>(Le32(p + 18)), h = static_cast<std::int32_t>(Le32(p + 22));
    const int bpp = static_cast<int>(Le16(p + 28));
    const std::uint32_t nOffset = Le32(p + 10);
    if (w <= 0 || w > 4096 || h == 0 || h > 4096 || h < -4096 || bpp <= 0 || bpp > 32)
        return false;
    const std::size_t nStride = static_cast<std::size_t>(((w * bpp + 31) / 32) * 4);
    const std::size_t nRows = static_cast<std::size_t>(h < 0 ? -h : h);
    if (nOffset > r.nSize || nStride * nRows > r.nSize - nOffset)
        return false;
    info = LQ_IMAGEINFO{r.nID, w, static_cast<int>(nRows), bpp, 0, 0};
    return true;
}
}  // namespace

CString GetResourceString(HINSTANCE hInstance, UINT nID)
{
    const auto* table = StringTable(hInstance);
    if (table == nullptr)
        return CString();
    auto it = table->find(nID);
    return it == table->end() ? CString() : CString(it->second);
}

std::vector<UINT> GetResourceStringIDs(HINSTANCE hInstance)
{
    std::vector<UINT> ids;
    if (const auto* table = StringTable(hInstance))
        for (const auto& [id, text] : *table)
            ids.push_back(id);
    return ids;
}

HCURSOR LoadCursor(HINSTANCE hInstance, UINT nID)
{
    const LQ_RESOURCE* r = AfxFindResource(hInstance, RT_GROUP_CURSOR, nID);
    LQ_IMAGEINFO info;
    if (r == nullptr || !ParseCursor(*r, info))
        return nullptr;
    Images().push_back(Image{info});
    return reinterpret_cast<HCURSOR>(&Images().back());
}

HBITMAP LoadBitmap(HINSTANCE hInstance, UINT nID)
{
    const LQ_RESOURCE* r = AfxFindResource(hInstance, RT_BITMAP, nID);
    LQ_IMAGEINFO info;
    if (r == nullptr || !ParseBitmap(*r, info))
        return nullptr;
    Images().push_back(Image{info});
    return reinterpret_cast<HBITMAP>(&Images().back());
}

bool LQGetCursorInfo(HCURSOR hCursor, LQ_IMAGEINFO* pInfo)
{
    if (hCursor == nullptr || pInfo == nullptr)
        return false;
    *pInfo = reinterpret_cast<const Image*>(hCursor)->info;
    return true;
}

bool LQGetBitmapInfo(HBITMAP hBitmap, LQ_IMAGEINFO* pInfo)
{
    if (hBitmap == nullptr || pInfo == nullptr)
        return false;
    *pInfo = reinterpret_cast<const Image*>(hBitmap)->info;
    return true;
}
