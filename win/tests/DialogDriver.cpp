// Runs the settings dialog as the program's settings mode will: over the
// foreground window, on the settings file beside this executable (so a test
// copies it into a folder of its own). The display's power saving counts as
// off. Ends with 0 when the dialog has closed.
#include "dialog/win/WinSettingsDialog.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    slidora::runSettingsDialogWin(GetForegroundWindow(), [] { return slidora::PowerSaveState{}; });
    return 0;
}
