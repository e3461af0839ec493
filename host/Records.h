// Records exchanged between the host and a plug-in. Their layout is fixed by the host's
// 32-bit build; on 64-bit builds only the pointer fields widen.
#pragma once
#include <cstddef>

#include "host/Types.h"

// Module code of a commands provider.
constexpr WORD LQ_MODULECODE_COMMANDS = 0x0C01;

struct VERSIONINFOSTRUCT {
    LPCTSTR lpszProviderKind;  // 0
    LPCTSTR lpszModuleName;    // 4
    WORD wModuleCode;          // 8
    WORD wReserved10;          // 10, not written by plug-ins
    LPCTSTR lpszDisplayName;   // 12
    DWORD dwValue16;           // 16
    DWORD dwValue20;           // 20
    DWORD dwValue24;           // 24
    DWORD dwValue28;           // 28
    DWORD dwHost32;            // 32, the host's own
    DWORD dwHost36;            // 36, the host's own
};

struct COMMANDINFOSTRUCT {
    HINSTANCE hInstance;     // 0: the plug-in's resource handle
    DWORD dwReserved4;       // 4
    DWORD dwReserved8;       // 8
    DWORD dwKind;            // 12: command kind word
    DWORD dwBitmapID;        // 16: toolbar bitmap, 0 for none
    WORD wCommandID;         // 20
    WORD wReserved22;        // 22
    DWORD dwReserved24;      // 24
    LPCTSTR lpszDocType;     // 28
    DWORD idCategory;        // 32
    DWORD idName;            // 36
    DWORD dwReserved40;      // 40
    DWORD idShortText;       // 44
    LONG lReserved48;        // 48
    DWORD idDescription;     // 52
    DWORD dwReserved56;      // 56
    DWORD dwReserved60;      // 60
    DWORD idMenuPath;        // 64
    DWORD idMenuItem;        // 68
    DWORD dwReserved72;      // 72
    DWORD dwReserved76;      // 76
    BYTE byReserved80;       // 80
    WORD wReserved82;        // 82
    BYTE byReserved84;       // 84
};

struct GROUPINFOSTRUCT {
    DWORD dwGroupID;
    DWORD idName;
};

#if defined(__i386__)
static_assert(offsetof(VERSIONINFOSTRUCT, lpszModuleName) == 4);
static_assert(offsetof(VERSIONINFOSTRUCT, wModuleCode) == 8);
static_assert(offsetof(VERSIONINFOSTRUCT, wReserved10) == 10);
static_assert(offsetof(VERSIONINFOSTRUCT, lpszDisplayName) == 12);
static_assert(offsetof(VERSIONINFOSTRUCT, dwValue16) == 16);
static_assert(offsetof(VERSIONINFOSTRUCT, dwValue28) == 28);
static_assert(offsetof(VERSIONINFOSTRUCT, dwHost32) == 32);
static_assert(offsetof(VERSIONINFOSTRUCT, dwHost36) == 36);
static_assert(sizeof(VERSIONINFOSTRUCT) == 40);

static_assert(offsetof(COMMANDINFOSTRUCT, dwKind) == 12);
static_assert(offsetof(COMMANDINFOSTRUCT, dwBitmapID) == 16);
static_assert(offsetof(COMMANDINFOSTRUCT, wCommandID) == 20);
static_assert(offsetof(COMMANDINFOSTRUCT, wReserved22) == 22);
static_assert(offsetof(COMMANDINFOSTRUCT, dwReserved24) == 24);
static_assert(offsetof(COMMANDINFOSTRUCT, lpszDocType) == 28);
static_assert(offsetof(COMMANDINFOSTRUCT, idCategory) == 32);
static_assert(offsetof(COMMANDINFOSTRUCT, idName) == 36);
static_assert(offsetof(COMMANDINFOSTRUCT, idShortText) == 44);
static_assert(offsetof(COMMANDINFOSTRUCT, lReserved48) == 48);
static_assert(offsetof(COMMANDINFOSTRUCT, idDescription) == 52);
static_assert(offsetof(COMMANDINFOSTRUCT, idMenuPath) == 64);
static_assert(offsetof(COMMANDINFOSTRUCT, idMenuItem) == 68);
static_assert(offsetof(COMMANDINFOSTRUCT, dwReserved76) == 76);
static_assert(offsetof(COMMANDINFOSTRUCT, byReserved80) == 80);
static_assert(offsetof(COMMANDINFOSTRUCT, wReserved82) == 82);
static_assert(offsetof(COMMANDINFOSTRUCT, byReserved84) == 84);
static_assert(sizeof(COMMANDINFOSTRUCT) == 88);
#elif defined(__x86_64__)
// Only the pointer fields widen: three pointers in the version record, two in the command record.
static_assert(sizeof(VERSIONINFOSTRUCT) == 56);
static_assert(offsetof(COMMANDINFOSTRUCT, dwKind) == 16);
static_assert(offsetof(COMMANDINFOSTRUCT, lpszDocType) == 32);
static_assert(offsetof(COMMANDINFOSTRUCT, byReserved84) == 92);
static_assert(sizeof(COMMANDINFOSTRUCT) == 96);
#endif
