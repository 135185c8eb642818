// The Windows program entry: the single-instance guard, the run mode from the
// command line the system starts a screen saver with, and the dispatch to the
// password change, the settings dialog or the saver window.
#include "app/ProgramAudio.h"
#include "app/win/WinCommandLine.h"
#include "audio/Vbmp3Library.h"
#include "audio/win/MciPlayer.h"
#include "dialog/win/WinSettingsDialog.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/win/Utf16.h"
#include "platform/win/WinErrorReport.h"
#include "platform/win/WinInstanceLock.h"
#include "platform/win/WinLocaleText.h"
#include "platform/win/WinPaths.h"
#include "platform/win/WinPlatformKind.h"
#include "platform/win/WinPowerParams.h"
#include "saver/PicturePreparer.h"
#include "saver/picture/PicLoad.h"
#include "saver/win/WinCloseQuery.h"
#include "saver/win/WinResizeHost.h"
#include "saver/win/WinSaverWindow.h"
#include "settings/FileRules.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <utility>

namespace slidora::win {
namespace {

HWND windowOf(std::int32_t handleValue) {
    // Handles are 32-bit values, sign-extended on 64-bit Windows.
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handleValue));
}

PowerSaveState systemPowerSaveInfo() {
    return PowerSaveInfo(readWinPowerParams());
}

// The program's folder without a trailing backslash, except for a drive root
// such as "C:\".
std::string programFolder() {
    const std::string path = programPath();
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return {};
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::string iconFontName() {
    LOGFONTW font{};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) return {};
    return toUtf8(font.lfFaceName);
}

// Mode A: the system's password-change hook, where the system has one.
void changePassword(std::int32_t parentWnd) {
    HMODULE mpr = LoadLibraryW(L"MPR.DLL");
    if (mpr == nullptr) return;
    using ChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, UINT, UINT);
    const auto change = reinterpret_cast<ChangePasswordFn>(
        reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
    if (change != nullptr) change("SCRSAVE", windowOf(parentWnd), 0, 0);
    FreeLibrary(mpr);
}

void runSettingsDialog() {
    // The dialog stands above the window that asked for it (the display
    // settings), which is the foreground window when the system starts "/c".
    runSettingsDialogWin(GetForegroundWindow(), systemPowerSaveInfo);
}

// `parent` null: full screen; otherwise the preview inside it.
int runSaver(HWND parent) {
    applyPictureAllocatorSettings();
    const std::string folder = programFolder();
    SystemClock clock;
    ClockSeededRandom random;
    WinResizeHost resizeHost(folder);
    ProgramAudio<Vbmp3Library, MciPlayer> audio;
    HWND owner = nullptr; // the saver window once it exists

    SaverServices services;
    services.clock = &clock;
    services.random = &random;
    services.powerSaveInfo = systemPowerSaveInfo;
    services.cursorPos = [] {
        POINT p{};
        GetCursorPos(&p);
        return Point{static_cast<int>(p.x), static_cast<int>(p.y)};
    };
    services.screenSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    services.hostWindowSize = [parent](unsigned long) {
        RECT r{};
        if (!GetClientRect(parent, &r)) return Size{-1, -1};
        return Size{static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top)};
    };
    services.dateText = shortDateOfDays;
    services.timeText = longTimeOfDays;
    services.settingsPath = settingsPath();
    services.readerContext.programDir = folder;
    services.readerContext.iconFontName = iconFontName();
    services.picLoad = [](const std::string& path, WorkingPicture& picture,
                          const TargetSizeFn& target) { return PicLoad(path, picture, target); };
    services.resizeHost = &resizeHost;
    services.makePreparer = [](PreparationWork work,
                               PreparationDone done) -> std::unique_ptr<PicturePreparer> {
        return std::make_unique<ThreadedPreparer>(std::move(work), std::move(done));
    };
    services.audio = &audio;
    services.errorReport = [&owner](const std::string& message) {
        showErrorReport(message, owner);
    };
    services.quit = [] { PostQuitMessage(0); };
    // The preview is never asked (the core allows its closing at once).
    services.closeQuery = [&owner] {
        return closeQueryAllows(systemCloseQueryFacts(owner, false, platformKind()));
    };

    WinSaverWindow saver(parent, services);
    // During the set-up the window is not shown yet, so a resampler box for
    // the first picture has no owner; later boxes stand above the saver.
    saver.start();
    owner = saver.hwnd();
    resizeHost.setOwner(owner);
    saver.show();
    if (saver.closed()) return 0;
    saver.runMessageLoop();
    return 0;
}

int run() {
    // A second copy ends at once, silently, before any window exists. When
    // the system refuses the mutex altogether, run unguarded rather than not
    // at all.
    bool lockUnavailable = false;
    const std::unique_ptr<InstanceLock> lock =
        InstanceLock::acquire(kInstanceMutexName, &lockUnavailable);
    if (!lock && !lockUnavailable) return 0;

    const WinCommandLine cl = readWinCommandLine(GetCommandLineW());
    switch (cl.mode) {
    case WinRunMode::Password:
        changePassword(cl.parentWnd);
        return 0;
    case WinRunMode::Dialog:
        runSettingsDialog();
        return 0;
    case WinRunMode::Preview: {
        if (cl.parentWnd == 0) return runSaver(nullptr);
        const HWND parent = windowOf(cl.parentWnd);
        // A host that is already gone has nothing left to preview in.
        if (!IsWindow(parent)) return 0;
        ShowWindow(parent, SW_SHOW);
        return runSaver(parent);
    }
    case WinRunMode::Saver:
        return runSaver(nullptr);
    }
    return 0;
}

} // namespace
} // namespace slidora::win

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        slidora::win::run();
    } catch (const std::exception& error) {
        slidora::win::showErrorReport(error.what());
    }
    return 0;
}
