// The module's three commands as the host's command records.
#pragma once
#include "host/Records.h"

constexpr UINT LQ_COMMAND_COUNT = 3;
constexpr WORD ID_SWAPPINTOOL = 1000;
constexpr WORD ID_SWAPGATETOOL = 1001;
constexpr WORD ID_AUTOSWAP = 0;

// Entries have a null instance handle; copies handed out carry the module's.
extern const COMMANDINFOSTRUCT g_commandTable[LQ_COMMAND_COUNT];
