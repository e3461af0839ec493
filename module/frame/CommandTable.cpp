#include "module/frame/CommandTable.h"

#include "host/SubSheet.h"
#include "module/resources/ResourceIDs.h"

namespace {
constexpr COMMANDINFOSTRUCT MakeCommand(DWORD dwKind, DWORD dwBitmap, WORD wID, DWORD idCategory, DWORD idName,
                                        DWORD idShort, DWORD idDescription, DWORD idMenuPath, DWORD idMenuItem)
{
    COMMANDINFOSTRUCT c{};
    c.hInstance = nullptr;
    c.dwKind = dwKind;
    c.dwBitmapID = dwBitmap;
    c.wCommandID = wID;
    c.lpszDocType = LQ_DOCTYPE_LAYOUT;
    c.idCategory = idCategory;
    c.idName = idName;
    c.idShortText = idShort;
    c.lReserved48 = -1;
    c.idDescription = idDescription;
    c.idMenuPath = idMenuPath;
    c.idMenuItem = idMenuItem;
    return c;
}
}  // namespace

const COMMANDINFOSTRUCT g_commandTable[LQ_COMMAND_COUNT] = {
    MakeCommand(1, IDB_SWAPPIN, ID_SWAPPINTOOL, IDS_CATEGORY_DESIGN, IDS_SWAPPINTOOL_NAME, IDS_SWAPPINTOOL_SHORT,
                IDS_SWAPPINTOOL_DESC, IDS_MENU_DESIGN, IDS_SWAPPINTOOL_MENUITEM),
    MakeCommand(3, IDB_SWAPGATE, ID_SWAPGATETOOL, IDS_CATEGORY_DESIGN, IDS_SWAPGATETOOL_NAME, IDS_SWAPGATETOOL_SHORT,
                IDS_SWAPGATETOOL_DESC, IDS_MENU_DESIGN, IDS_SWAPGATETOOL_MENUITEM),
    MakeCommand(2, 0, ID_AUTOSWAP, IDS_CATEGORY_OPTIONS, IDS_AUTOSWAP_NAME, IDS_AUTOSWAP_SHORT, IDS_AUTOSWAP_DESC,
                IDS_MENU_PROPERTIES, IDS_AUTOSWAP_MENUITEM),
};
