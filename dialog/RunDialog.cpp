#include "dialog/RunDialog.h"

#include "dialog/ScSSDlg.h"

#include <utility>

namespace slidora {

void runSettingsDialog(std::function<PowerSaveState()> powerSaveInfo) {
    DialogEnvironment environment;
    environment.powerSaveInfo = std::move(powerSaveInfo);
    TScSSDlg dialog(std::move(environment));
    dialog.exec();
}

} // namespace slidora
