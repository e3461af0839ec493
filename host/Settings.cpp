#include "host/Settings.h"

#include <algorithm>

UINT CMatrix::GetDllIndex(const char* pszModuleName)
{
    const std::string name(pszModuleName != nullptr ? pszModuleName : "");
    auto it = std::find(m_names.begin(), m_names.end(), name);
    if (it == m_names.end()) {
        m_names.push_back(name);
        it = m_names.end() - 1;
    }
    return m_nFirst + static_cast<UINT>(it - m_names.begin());
}

void CMatrix::Reset(UINT nFirstIndex)
{
    m_names.clear();
    m_nFirst = nFirstIndex;
}

CSettings* GetSettings()
{
    static CSettings settings;
    return &settings;
}
