// Multibyte (UTF-8) strings of the host's framework.
#pragma once
#include <string>
#include <vector>

#include "host/Types.h"

// Byte-wise comparison; the result has the sign of the first differing byte.
LQ_HOST_API int _mbscmp(const unsigned char* a, const unsigned char* b);
LQ_HOST_API int _mbscmp(const char* a, const char* b);
// As _mbscmp, but ASCII letters compare equal regardless of case; other bytes are compared as they are.
LQ_HOST_API int _mbsicmp(const unsigned char* a, const unsigned char* b);
LQ_HOST_API int _mbsicmp(const char* a, const char* b);

class LQ_HOST_API CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz != nullptr ? psz : "") {}
    CString(const char* pch, int nLength) : m_str(pch, static_cast<std::size_t>(nLength)) {}
    CString(const std::string& s) : m_str(s) {}
    CString(std::string&& s) : m_str(std::move(s)) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int nIndex) const { return m_str.at(static_cast<std::size_t>(nIndex)); }
    const char* GetString() const { return m_str.c_str(); }
    operator LPCTSTR() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }

    // printf-style formatting into this string.
    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

    int Compare(const char* psz) const { return _mbscmp(m_str.c_str(), psz); }
    int CompareNoCase(const char* psz) const { return _mbsicmp(m_str.c_str(), psz); }

    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(const char* psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
    friend bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    // Byte order, so that ordered containers of CString follow _mbscmp.
    friend bool operator<(const CString& a, const CString& b) { return a.Compare(b.GetString()) < 0; }

private:
    std::string m_str;
};

class LQ_HOST_API CStringArray {
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR Add(const CString& s) { m_items.push_back(s); return GetSize() - 1; }
    const CString& GetAt(INT_PTR i) const { return m_items.at(static_cast<std::size_t>(i)); }
    CString& operator[](INT_PTR i) { return m_items.at(static_cast<std::size_t>(i)); }
    const CString& operator[](INT_PTR i) const { return GetAt(i); }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<CString> m_items;
};
