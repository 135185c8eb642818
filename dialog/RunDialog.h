#pragma once

namespace slidora {

// Settings mode: creates the settings dialog over the foreground window,
// runs it modally and destroys it. Needs a QApplication.
void runSettingsDialog();

} // namespace slidora
