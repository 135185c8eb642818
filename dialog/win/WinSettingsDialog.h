#pragma once
// Settings mode of the Windows program: the settings dialog over Win32
// controls, with the dialog's behaviour in DialogModel.
#include "settings/FileRules.h"

#include <windows.h>

#include <functional>

namespace slidora {

// Runs the settings dialog modally over `owner` (the foreground window when
// the program starts; null for none), which is disabled while the dialog is
// open and enabled again when it closes. Reads the settings file beside the
// program when it opens and writes it on OK. `powerSaveInfo` reads the
// display's power-saving values for the computed active time. Needs no
// message loop of the caller's; returns when the dialog has closed.
void runSettingsDialogWin(HWND owner, std::function<PowerSaveState()> powerSaveInfo);

} // namespace slidora
