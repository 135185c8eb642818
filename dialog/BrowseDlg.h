#pragma once
// `TBrowseDlg`: the modal folder picker the settings dialog shares between
// its two folders. The owner sets the start folder in OnShow and takes the
// chosen folder in OnOKBtnClick, which runs while the picker is still open;
// Cancel runs no callback. The picker's working itself is a replaceable
// chooser, a QFileDialog in directory mode unless a test puts in its own.
#include <functional>
#include <string>

class QWidget;

namespace slidora {

class TBrowseDlg {
  public:
    // Runs the modal picker for `picker`: starts at picker.initialFolder()
    // and calls picker.confirm(path) when the user presses OK.
    using Chooser = std::function<void(TBrowseDlg& picker)>;

    TBrowseDlg();

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    std::string caption = "画像フォルダの参照";
    std::string okCaption = "&OK";
    std::string cancelCaption = "キャンセル(&C)";
    // Set as the original sets it; the picker shows no custom button.
    std::string customCaption = "カスタム(&U)";
    int widthPx = 300;
    int heightPx = 400;

    std::function<void()> OnShow;
    std::function<void()> OnOKBtnClick;

    void setInitialFolder(const std::string& folder) { m_initialFolder = folder; }
    const std::string& initialFolder() const { return m_initialFolder; }
    // The folder the user confirmed; empty for an item without a path.
    const std::string& folder() const { return m_folder; }

    // The user pressed OK on `folder`: records it and runs OnOKBtnClick.
    void confirm(const std::string& folder);

    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    // Shows the picker modally over `parent`: OnShow first, then the chooser.
    void execute(QWidget* parent);

  private:
    int m_tag = 0;
    std::string m_initialFolder;
    std::string m_folder;
    Chooser m_chooser;
};

// The chooser used unless replaced: a QFileDialog for folders.
TBrowseDlg::Chooser fileDialogChooser(QWidget* parent);

} // namespace slidora
