// Connection-data lists: heap arrays of objects ending with a null entry, owned by their receiver.
#pragma once
#include <vector>

#include "host/Object.h"

// Deletes every listed object, then the array; a null list is skipped.
void ReleaseConnectionData(CObject** data);
// A new list holding the objects in order.
CObject** MakeConnectionData(const std::vector<CObject*>& objects);
