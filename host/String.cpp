#include "host/String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

int _mbscmp(const unsigned char* a, const unsigned char* b)
{
    return std::strcmp(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b));
}

int _mbscmp(const char* a, const char* b) { return std::strcmp(a, b); }

static unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

int _mbsicmp(const unsigned char* a, const unsigned char* b)
{
    for (;; ++a, ++b) {
        const unsigned char ca = FoldAscii(*a);
        const unsigned char cb = FoldAscii(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

int _mbsicmp(const char* a, const char* b)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b));
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
    } else {
        std::string out(static_cast<std::size_t>(n) + 1, '\0');
        std::vsnprintf(out.data(), out.size(), pszFormat, args);
        out.resize(static_cast<std::size_t>(n));
        m_str = std::move(out);
    }
    va_end(args);
}
