#pragma once
#include "settings/FileRules.h"

#include <functional>

namespace slidora {

// Settings mode: creates the settings dialog over the foreground window,
// runs it modally and destroys it. Needs a QApplication. `powerSaveInfo`
// reads the display's power-saving values for the computed active time.
void runSettingsDialog(std::function<PowerSaveState()> powerSaveInfo);

} // namespace slidora
