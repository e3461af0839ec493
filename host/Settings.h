// Host settings and the module matrix that numbers the loaded modules.
#pragma once
#include <string>
#include <vector>

#include "host/Types.h"

class LQ_HOST_API CMatrix {
public:
    // The module's index, assigned on first request in order from 1 upward.
    UINT GetDllIndex(const char* pszModuleName);
    void Reset(UINT nFirstIndex = 1);

private:
    std::vector<std::string> m_names;
    UINT m_nFirst = 1;
};

class LQ_HOST_API CSettings {
public:
    CMatrix* GetModuleMatrix() { return &m_matrix; }

private:
    CMatrix m_matrix;
};

LQ_HOST_API CSettings* GetSettings();
