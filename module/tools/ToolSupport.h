// What the two swap tools share: host events, the cursor, and the module being initialised.
#pragma once
#include "host/Types.h"

class CLayoutSubSheet;

// The tools act only while the module is initialised.
bool LQModuleActive();
// The current sheet when it is a layout sheet, else null.
CLayoutSubSheet* LQCurrentLayoutSheet();
int LQRaiseCancel();
int LQRaiseRestoreDefaultTool(bool bReturnToDefault);
bool LQSetModuleCursor(UINT nID);
void LQShowMessage(UINT nStringID);
