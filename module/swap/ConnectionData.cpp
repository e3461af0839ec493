#include "module/swap/ConnectionData.h"

void ReleaseConnectionData(CObject** data)
{
    if (data == nullptr)
        return;
    for (CObject** p = data; *p != nullptr; ++p)
        delete *p;
    delete[] data;
}

CObject** MakeConnectionData(const std::vector<CObject*>& objects)
{
    CObject** data = new CObject*[objects.size() + 1];
    for (std::size_t i = 0; i < objects.size(); ++i)
        data[i] = objects[i];
    data[objects.size()] = nullptr;
    return data;
}
