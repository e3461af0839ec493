// The module's hidden command window; it handles no messages of its own.
#pragma once
#include "host/Window.h"

class CCommandWnd : public CWnd {
    DECLARE_DYNAMIC(CCommandWnd)
    DECLARE_MESSAGE_MAP()
};
