// Choosing folders in the settings dialog: the shared picker and its tag,
// the checks with the current minimum size, the question and its answers,
// the clear button and the busy cursor.
#include "DialogTestSupport.h"

#include "settings/IniFile.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace slidora::test {
namespace {

class FolderChoice : public DialogTest {
  protected:
    FolderChoice() {
        pictures = (dir() / "pictures").string();
        writeSizedFile(dir() / "pictures" / "small.jpg", 8 * 1024);
        writeSizedFile(dir() / "pictures" / "notes.txt", 20 * 1024);
        silent = (dir() / "silent").string();
        writeSizedFile(dir() / "silent" / "a.mid", 5000);
        writeSizedFile(dir() / "silent" / "cover.jpg", 50000);
        music = (dir() / "music").string();
        std::filesystem::create_directories(dir() / "music" / "empty");
        writeSizedFile(dir() / "music" / "later" / "song.mp3", 100);
        writeSettings("[Image]\nDispFolder=/srv/old-pictures\n[Audio]\nMediaExt=.kar\n");
        chooser = [this](TBrowseDlg& picker) {
            tags.push_back(picker.tag());
            startFolders.push_back(picker.initialFolder());
            captions.push_back(picker.caption);
            if (!choice.empty()) picker.confirm(choice);
        };
    }

    std::string fieldText(const TScSSDlg& dlg, const char* name) {
        return child<QLineEdit>(dlg, name)->text().toStdString();
    }
    std::string fieldHint(const TScSSDlg& dlg, const char* name) {
        return child<QLineEdit>(dlg, name)->toolTip().toStdString();
    }

    std::string pictures, silent, music;
    std::string choice; // empty: the user cancels the picker
    std::vector<int> tags;
    std::vector<std::string> startFolders;
    std::vector<std::string> captions;
};

TEST_F(FolderChoice, APictureFolderWithoutLargeEnoughPicturesAsksAndNoKeepsTheOldFolder) {
    const auto dlg = open();
    const std::string shownBefore = fieldText(*dlg, "FolderText");
    choice = pictures;
    answerYes = false;
    child<QPushButton>(*dlg, "Button1")->click();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0],
              pictures + "/ には\n画像ファイルがありません。\n\nこのフォルダを登録しますか？");
    EXPECT_EQ(dlg->values().DlgPicFolder, "/srv/old-pictures");
    EXPECT_EQ(fieldText(*dlg, "FolderText"), shownBefore);
    EXPECT_EQ(fieldHint(*dlg, "FolderText"), "/srv/old-pictures");
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0], 0);
    EXPECT_EQ(startFolders[0], "/srv/old-pictures");
    EXPECT_EQ(captions[0], "画像フォルダの参照");
}

TEST_F(FolderChoice, AnsweringYesTakesTheFolder) {
    const auto dlg = open();
    choice = pictures;
    answerYes = true;
    child<QPushButton>(*dlg, "Button1")->click();
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(dlg->values().DlgPicFolder, pictures);
    EXPECT_EQ(fieldHint(*dlg, "FolderText"), pictures);
    EXPECT_NE(fieldText(*dlg, "FolderText"), "");
    EXPECT_NE(fieldText(*dlg, "FolderText"), pictures) << "the field shows the shortened path";
}

TEST_F(FolderChoice, TheCheckFollowsTheSizeShownNow) {
    const auto dlg = open();
    child<QSpinBox>(*dlg, "SizeEdit")->setValue(5);
    choice = pictures;
    child<QPushButton>(*dlg, "Button1")->click();
    EXPECT_TRUE(questions.empty()) << "an 8 KB picture is larger than 5 KB";
    EXPECT_EQ(dlg->values().DlgPicFolder, pictures);
}

TEST_F(FolderChoice, AnAudioFolderWithAnMp3DeepDownIsTakenWithoutAQuestion) {
    const auto dlg = open();
    choice = music;
    child<QPushButton>(*dlg, "Button2")->click();
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(dlg->values().DlgAudFolder, music);
    EXPECT_EQ(fieldHint(*dlg, "AudioText"), music);
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0], 1);
    EXPECT_EQ(captions[0], "画像フォルダの参照");
}

TEST_F(FolderChoice, AnAudioFolderWithOnlyOtherFilesAsks) {
    const auto dlg = open();
    choice = silent;
    answerYes = false;
    child<QPushButton>(*dlg, "Button2")->click();
    ASSERT_EQ(questions.size(), 1u) << ".mid is not among the stored extensions (.kar)";
    EXPECT_EQ(questions[0],
              silent + "/ には\n音源ファイルがありません。\n\nこのフォルダを登録しますか？");
    EXPECT_EQ(dlg->values().DlgAudFolder, "");
    EXPECT_EQ(fieldText(*dlg, "AudioText"), "");
}

TEST_F(FolderChoice, TheStoredMediaExtensionsCountForTheAudioCheck) {
    writeSettings("[Audio]\nMediaExt=.mid\n");
    const auto dlg = open();
    choice = silent;
    child<QPushButton>(*dlg, "Button2")->click();
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(dlg->values().DlgAudFolder, silent);
}

TEST_F(FolderChoice, WithoutAnAudioFolderThePickerStartsAtThePictureFolderAndCancelChangesNothing) {
    const auto dlg = open();
    child<QPushButton>(*dlg, "Button2")->click();
    ASSERT_EQ(startFolders.size(), 1u);
    EXPECT_EQ(startFolders[0], "/srv/old-pictures");
    EXPECT_EQ(dlg->values().DlgAudFolder, "") << "opening the picker does not set the audio folder";
    EXPECT_TRUE(questions.empty());
    child<QPushButton>(*dlg, "OKBtn")->click();
    EXPECT_EQ(IniFile(settingsPath()).readString("Audio", "AudioFolder", "?"), "");
}

TEST_F(FolderChoice, WithAnAudioFolderThePickerStartsThere) {
    writeSettings("[Image]\nDispFolder=/srv/old-pictures\n[Audio]\nAudioFolder=/srv/sound\n");
    const auto dlg = open();
    child<QPushButton>(*dlg, "Button2")->click();
    ASSERT_EQ(startFolders.size(), 1u);
    EXPECT_EQ(startFolders[0], "/srv/sound");
}

TEST_F(FolderChoice, CancelInThePictureFolderPickerChangesNothing) {
    const auto dlg = open();
    const std::string shownBefore = fieldText(*dlg, "FolderText");
    child<QPushButton>(*dlg, "Button1")->click();
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(dlg->values().DlgPicFolder, "/srv/old-pictures");
    EXPECT_EQ(fieldText(*dlg, "FolderText"), shownBefore);
}

TEST_F(FolderChoice, ClearEmptiesTheAudioFolderAndOkWritesItEmpty) {
    writeSettings("[Audio]\nAudioFolder=/srv/sound\n");
    const auto dlg = open();
    ASSERT_NE(fieldText(*dlg, "AudioText"), "");
    child<QPushButton>(*dlg, "Button3")->click();
    EXPECT_EQ(dlg->values().DlgAudFolder, "");
    EXPECT_EQ(fieldText(*dlg, "AudioText"), "");
    EXPECT_EQ(fieldHint(*dlg, "AudioText"), "");
    child<QPushButton>(*dlg, "OKBtn")->click();
    EXPECT_EQ(IniFile(settingsPath()).readString("Audio", "AudioFolder", "?"), "");
}

TEST_F(FolderChoice, TheRootFolderShowsItself) {
    const auto dlg = open();
    choice = "/";
    answerYes = true;
    child<QPushButton>(*dlg, "Button1")->click();
    EXPECT_EQ(dlg->values().DlgPicFolder, "/");
    EXPECT_EQ(fieldText(*dlg, "FolderText"), "/");
    EXPECT_EQ(fieldHint(*dlg, "FolderText"), "/");
}

TEST_F(DialogTest, TheCursorIsBusyWhileAFolderIsCheckedAndRestoredForTheQuestion) {
    std::vector<bool> busyDuringCheck;
    std::vector<bool> busyDuringQuestion;
    DialogEnvironment env;
    env.settingsPath = settingsPath();
    env.defaultPictureFolder = [] { return std::string("/srv/pics"); };
    env.powerSaveInfo = [] { return PowerSaveState{}; };
    env.errorReport = [this](const std::string& m) { errors.push_back(m); };
    auto isBusy = [] {
        return QApplication::overrideCursor() &&
               QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };
    env.picFolderChk = [&](const std::string&, int minimumSizeKb) {
        busyDuringCheck.push_back(isBusy());
        EXPECT_EQ(minimumSizeKb, 10);
        return false;
    };
    env.audFolderChk = [&](const std::string&, const std::string& mediaExt) {
        busyDuringCheck.push_back(isBusy());
        EXPECT_EQ(mediaExt, ".mid");
        return false;
    };
    env.confirm = [&](const std::string&) {
        busyDuringQuestion.push_back(isBusy());
        return false;
    };
    env.folderChooser = [](TBrowseDlg& picker) { picker.confirm("/srv/elsewhere"); };
    TScSSDlg dlg(env);
    child<QPushButton>(dlg, "Button1")->click();
    child<QPushButton>(dlg, "Button2")->click();
    EXPECT_EQ(busyDuringCheck, (std::vector<bool>{true, true}));
    EXPECT_EQ(busyDuringQuestion, (std::vector<bool>{false, false}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace slidora::test
