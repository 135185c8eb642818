#pragma once
// `DialogModel`: the settings dialog's behaviour, free of any toolkit. It
// loads the settings file into the controls (FormCreate), keeps the values the
// dialog holds besides its controls, answers the folder picker, updates the
// value labels, resets the brightness, keeps the overlay font and writes the
// file on OK (OKBtnClick). Each entry point catches what it raises and hands
// it to the error report, so nothing unwinds through a face's event loop.
#include "dialog/DialogControls.h"
#include "platform/FontSpec.h"
#include "settings/FileRules.h"
#include "settings/Settings.h"

#include <functional>
#include <optional>
#include <string>

namespace slidora {

// What the dialog keeps besides its controls while it is open.
struct DialogValues {
    std::string DlgPicFolder;
    std::string DlgAudFolder; // empty: no audio
    int DlgActTime = 0;       // minutes as read; changed only by OK
    std::string DlgMediaExt;  // as read; written back unchanged
};

// The model's surroundings; every member must be set.
struct DialogServices {
    std::string settingsPath;
    // The program's folder, the icon font's face and the screen's default
    // font size (programDir is the last fall-back picture folder).
    ReaderContext readerContext;
    // The program's own version record; nothing when the program has none
    // (the version label keeps its design text and loading stops there).
    std::optional<std::string> versionText;
    std::string decimalPoint = "."; // the user locale's
    std::function<PowerSaveState()> powerSaveInfo;
    // The pictures folder or the home folder; empty when neither is known.
    std::function<std::string()> defaultPictureFolder;
    // The application's general error report.
    std::function<void(const std::string& message)> errorReport;
    // The "確認" question; true when the user answers はい.
    std::function<bool(const std::string& message)> confirm;
    // The font picker; nothing when the user cancels.
    std::function<std::optional<FontSpec>(const FontSpec& initial)> fontChooser;
    std::function<bool(const std::string& folder, int minimumSizeKb)> picFolderChk;
    std::function<bool(const std::string& folder, const std::string& mediaExt)> audFolderChk;
    // Shows that a folder check is walking its tree (true) and that it ended.
    std::function<void(bool busy)> setBusy;
};

class DialogModel {
  public:
    // Takes the overlay font's design value from the controls; does no
    // other work.
    DialogModel(DialogControls& controls, DialogServices services);

    // Loading: the value labels for the design positions, then the file.
    // After an unreadable value the values read before it are
    // applied, the error is reported and the rest of loading is skipped.
    void FormCreate();
    // OK: gathers the controls and writes every key; a failed write is
    // reported.
    void OKBtnClick();

    // The folder the picker for `tag` (BrowseTag) starts at.
    std::string browseStartFolder(int tag) const;
    // The user confirmed `path` in the picker for `tag`: checks it, asks when
    // it holds no usable file, and takes it unless the answer is いいえ.
    void BrowseDlg1OKBtnClick(int tag, const std::string& path);
    // The audio folder's clear button.
    void Button3Click();

    void SlideTrackBarChange(); // the slide interval label
    void BairituChange();       // the magnification label
    void CuteButton1Click();    // brightness back to its design value
    void Button4Click();        // the font picker

    const DialogValues& values() const { return m_values; }
    const FontSpec& overlayFont() const { return m_font; }

  private:
    void applyStoredValues(const DialogSettings& stored, int keysRead);
    void finishLoading(const DialogSettings& stored);
    void gatherAndWrite();
    void chooseFolder(int tag, const std::string& path);
    void showFolder(const std::string& field, const std::string& path);
    void setOverlayFont(const FontSpec& font);
    void guarded(const std::function<void()>& handler);

    DialogControls& m_controls;
    DialogServices m_services;
    DialogValues m_values;
    FontSpec m_font;
};

} // namespace slidora
