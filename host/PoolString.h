// Pooled strings: equal texts share one index; index 0 is the empty text.
#pragma once
#include "host/String.h"

class LQ_HOST_API CPoolStringStorage {
public:
    // The text of an index; the empty text for an unknown index. Valid as long as the process.
    static const char* GetString(int nIndex);
    // The index of a text, entering it if new.
    static int Intern(const char* psz);
    static int GetCount();
};

class LQ_HOST_API CPoolString {
public:
    CPoolString() = default;
    explicit CPoolString(const char* psz) : m_nIndex(CPoolStringStorage::Intern(psz)) {}
    explicit CPoolString(const CString& s) : m_nIndex(CPoolStringStorage::Intern(s)) {}

    int GetIndex() const { return m_nIndex; }
    const char* GetString() const { return CPoolStringStorage::GetString(m_nIndex); }
    bool IsEmpty() const { return m_nIndex == 0; }
    operator CString() const { return CString(GetString()); }

    friend bool operator==(const CPoolString& a, const CPoolString& b) { return a.m_nIndex == b.m_nIndex; }
    friend bool operator!=(const CPoolString& a, const CPoolString& b) { return a.m_nIndex != b.m_nIndex; }

private:
    int m_nIndex = 0;
};
