#include "dialog/RunDialog.h"

#include "dialog/ScSSDlg.h"

namespace slidora {

void runSettingsDialog() {
    TScSSDlg dialog;
    dialog.exec();
}

} // namespace slidora
