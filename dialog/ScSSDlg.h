#pragma once
// `TScSSDlg`: the settings dialog. It reads the settings file once when it
// is created (FormCreate), shows the values in its controls, lets the user
// choose the picture and audio folders, and writes the file when OK is
// pressed (OKBtnClick). Cancel, Esc and the close box write nothing.
#include "dialog/BrowseDlg.h"
#include "settings/FileRules.h"

#include <QDialog>
#include <QFont>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;
class QWindow;

namespace slidora {

class RadioGroup;
struct DialogSettings;

// What the dialog keeps besides its controls while it is open.
struct DialogValues {
    std::string DlgPicFolder;
    std::string DlgAudFolder; // empty: no audio
    int DlgActTime = 0;       // minutes as read; changed only by OK
    std::string DlgMediaExt;  // as read; written back unchanged
};

// The dialog's surroundings. Every member left empty is the real service;
// tests put in their own.
struct DialogEnvironment {
    std::string settingsPath; // default: the settings file beside the program
    std::string programDir;   // default: the program's folder
    std::function<PowerSaveState()> powerSaveInfo;
    // The pictures folder or the home folder; empty when neither is known.
    std::function<std::string()> defaultPictureFolder;
    // The application's general error report.
    std::function<void(const std::string& message)> errorReport;
    // The "確認" question; true when the user answers はい.
    std::function<bool(const std::string& message)> confirm;
    TBrowseDlg::Chooser folderChooser;
    // The font picker; nothing when the user cancels.
    std::function<std::optional<QFont>(const QFont& initial)> fontChooser;
    std::function<bool(const std::string& folder, int minimumSizeKb)> picFolderChk;
    std::function<bool(const std::string& folder, const std::string& mediaExt)> audFolderChk;
};

class TScSSDlg final : public QDialog {
  public:
    explicit TScSSDlg(DialogEnvironment environment = {}, QWidget* parent = nullptr);
    ~TScSSDlg() override;

    const DialogValues& values() const { return m_values; }
    const std::string& settingsPath() const { return m_env.settingsPath; }
    // The X11 window the dialog was opened from; 0 when none.
    std::uint64_t OwnerWnd() const { return m_ownerWnd; }
    // Design pixels (120 per inch) to this screen's pixels.
    int scaled(int designPx) const;

  private:
    void buildControls();
    void buildImageSide();
    void buildTextSide();
    void buildAudioPanel();
    void buildFooter();
    void arrangeTabOrder();
    void connectHandlers();
    void takeOwner();

    void FormCreate();
    void applyStoredValues(const DialogSettings& stored, int keysRead);
    void finishLoading(const DialogSettings& stored);
    std::string defaultPictureFolder() const;

    void OKBtnClick();

    void Button1Click(QPushButton* sender);
    void BrowseDlg1Show();
    void BrowseDlg1OKBtnClick();
    void Button3Click();
    std::string displayPath(const std::string& path) const;
    void showFolder(QLineEdit* field, const std::string& path);

    void SlideTrackBarChange();
    void BairituChange();
    void CuteButton1Click();
    void Button4Click();

    void reportError(const std::string& message);
    // Runs an event handler; an error it raises goes to the error report.
    void handle(const std::function<void()>& handler);

    DialogEnvironment m_env;
    DialogValues m_values;
    double m_scale = 1.0;
    std::uint64_t m_ownerWnd = 0;
    std::unique_ptr<QWindow> m_ownerWindow;
    TBrowseDlg BrowseDlg1;

    QFrame* Bevel1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* FolderText = nullptr;
    QPushButton* Button1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QSlider* SlideTrackBar = nullptr;
    QLabel* Label4 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QSlider* Bairitu = nullptr;
    QLabel* BairituD = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QSlider* BColorTrackBar = nullptr;
    QToolButton* CuteButton1 = nullptr;
    RadioGroup* RadioGroup1 = nullptr;
    QPushButton* Button4 = nullptr;
    QCheckBox* DirCheck = nullptr;
    QCheckBox* DayCheck = nullptr;
    QCheckBox* TimeCheck = nullptr;
    QSpinBox* SizeEdit = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QFrame* Panel1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* Button3 = nullptr;
    QLineEdit* AudioText = nullptr;
    QPushButton* Button2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* Label11 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

} // namespace slidora
