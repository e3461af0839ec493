#include "module/autoswap/CommandWnd.h"

IMPLEMENT_DYNAMIC(CCommandWnd, CWnd)

BEGIN_MESSAGE_MAP(CCommandWnd, CWnd)
END_MESSAGE_MAP()
