// The real modal boxes behind the settings dialog's seams, answered by a
// timer that waits for them to come up.
#include "DialogTestSupport.h"

#include "dialog/BrowseDlg.h"
#include "dialog/DialogBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>

namespace slidora::test {
namespace {

// Runs `act` on the modal box of type T as soon as it is up. When it does
// not come up within the allowed polls, the test fails and whatever modal
// window there is gets closed, so that the test cannot hang.
template <class T> void whenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    auto polls = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, polls, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (T* box = qobject_cast<T*>(modal)) {
            timer->stop();
            timer->deleteLater();
            act(box);
        } else if (++*polls > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the expected modal box never came up";
            if (modal != nullptr) modal->close();
        }
    });
    timer->start(10);
}

class DialogBoxes : public ::testing::Test {
  protected:
    DialogBoxes() { ensureApplication(); }
};

TEST_F(DialogBoxes, TheQuestionIsCaptionedConfirmationAndEscapeAnswersNo) {
    std::string caption, yesText, noText, defaultText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        caption = box->windowTitle().toStdString();
        icon = box->icon();
        const auto buttons = box->buttons();
        if (buttons.size() == 2) {
            yesText = buttons[0]->text().toStdString();
            noText = buttons[1]->text().toStdString();
        }
        if (box->defaultButton() != nullptr)
            defaultText = box->defaultButton()->text().toStdString();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &escape);
    });
    EXPECT_FALSE(askConfirmation(nullptr, "question"));
    EXPECT_EQ(caption, "確認");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(yesText, "はい(&Y)");
    EXPECT_EQ(noText, "いいえ(&N)");
    EXPECT_EQ(defaultText, "はい(&Y)");
}

TEST_F(DialogBoxes, ReturnAnswersYes) {
    whenModal<QMessageBox>([](QMessageBox* box) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
    });
    EXPECT_TRUE(askConfirmation(nullptr, "question"));
}

TEST_F(DialogBoxes, TheFolderPickerConfirmsWhileItIsStillOpen) {
    const auto root = std::filesystem::temp_directory_path() /
                      ("slidora-dialog-picker-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(root / "chosen");
    TBrowseDlg picker;
    picker.setChooser(fileDialogChooser(nullptr));
    picker.OnShow = [&] { picker.setInitialFolder(root.string()); };
    bool openDuringOk = false;
    std::vector<std::string> confirmed;
    picker.OnOKBtnClick = [&] {
        confirmed.push_back(picker.folder());
        openDuringOk = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr;
    };
    std::string title, accept, reject, directory;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        title = dialog->windowTitle().toStdString();
        accept = dialog->labelText(QFileDialog::Accept).toStdString();
        reject = dialog->labelText(QFileDialog::Reject).toStdString();
        directory = dialog->directory().absolutePath().toStdString();
        mode = dialog->fileMode();
        dialog->selectFile((root / "chosen").string().c_str());
        static_cast<QDialog*>(dialog)->accept();
    });
    picker.setTag(1);
    picker.execute(nullptr);
    EXPECT_EQ(title, "画像フォルダの参照");
    EXPECT_EQ(accept, "&OK");
    EXPECT_EQ(reject, "キャンセル(&C)");
    EXPECT_EQ(directory, root.string());
    EXPECT_EQ(mode, QFileDialog::Directory);
    EXPECT_EQ(confirmed, std::vector<std::string>{(root / "chosen").string()});
    EXPECT_TRUE(openDuringOk);
    EXPECT_EQ(picker.tag(), 1);
    std::filesystem::remove_all(root);
}

TEST_F(DialogBoxes, CancellingTheFolderPickerRunsNoCallback) {
    TBrowseDlg picker;
    picker.setChooser(fileDialogChooser(nullptr));
    int shown = 0;
    int confirmed = 0;
    picker.OnShow = [&] { ++shown; };
    picker.OnOKBtnClick = [&] { ++confirmed; };
    whenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    picker.execute(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(confirmed, 0);
    EXPECT_EQ(picker.folder(), "");
}

TEST_F(DialogBoxes, TheFontPickerHidesItsEffectsAndReturnsOnlyOnOk) {
    QFont initial(QStringLiteral("IPAGothic"));
    initial.setPointSize(13);
    initial.setUnderline(true);
    bool effectsHidden = false;
    whenModal<QFontDialog>([&](QFontDialog* dialog) {
        const auto boxes = dialog->findChildren<QCheckBox*>();
        effectsHidden = !boxes.isEmpty();
        for (QCheckBox* box : boxes)
            effectsHidden = effectsHidden && !box->isVisible();
        dialog->reject();
    });
    EXPECT_FALSE(chooseFont(nullptr, initial).has_value());
    EXPECT_TRUE(effectsHidden);

    whenModal<QFontDialog>([](QFontDialog* dialog) { dialog->accept(); });
    const std::optional<QFont> chosen = chooseFont(nullptr, initial);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->pointSize(), 13);
    EXPECT_TRUE(chosen->underline()) << "the hidden effects keep what the font came with";
}

// The sample field of the font picker: the one line edit inside a group box.
QLineEdit* fontSample(QFontDialog* dialog) {
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>())
        if (qobject_cast<QGroupBox*>(edit->parentWidget()) != nullptr) return edit;
    return nullptr;
}

std::vector<std::string> visibleTexts(QWidget* dialog) {
    std::vector<std::string> texts;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts.push_back(label->text().toStdString());
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        if (!button->text().isEmpty()) texts.push_back(button->text().toStdString());
    return texts;
}

struct InitialFace {
    const char* name;
    const char* family;
};

class FontSample : public DialogBoxes, public ::testing::WithParamInterface<InitialFace> {};

// A stored face may be a generic name the font system resolves ("Sans
// Serif") or one not installed; the picker then offers the face that would
// be drawn, and its sample shows that face.
TEST_P(FontSample, ShowsTheOfferedFace) {
    QFont initial(QString::fromUtf8(GetParam().family));
    initial.setPointSize(12);
    std::string sampleText, sampleFamily, listedFamily;
    whenModal<QFontDialog>([&](QFontDialog* dialog) {
        if (QLineEdit* sample = fontSample(dialog)) {
            sampleText = sample->text().toStdString();
            sampleFamily = QFontInfo(sample->font()).family().toStdString();
        }
        listedFamily = dialog->currentFont().family().toStdString();
        dialog->reject();
    });
    chooseFont(nullptr, initial);
    EXPECT_NE(sampleText, "");
    EXPECT_NE(listedFamily, "");
    EXPECT_EQ(sampleFamily, listedFamily);
}

INSTANTIATE_TEST_SUITE_P(Faces, FontSample,
                         ::testing::Values(InitialFace{"Installed", "IPAGothic"},
                                           InitialFace{"Generic", "Sans Serif"},
                                           InitialFace{"Missing", "ＭＳ Ｐゴシック"}),
                         [](const ::testing::TestParamInfo<InitialFace>& face) {
                             return std::string(face.param.name);
                         });

TEST_F(DialogBoxes, TheStandardPickersSpeakJapanese) {
    const std::vector<std::string> english{
        "&Font",   "Font st&yle", "&Size",    "Sample",     "Wr&iting System", "&OK",
        "&Cancel", "Cancel",      "Look in:", "Directory:", "Files of type:"};
    std::vector<std::string> fontTexts, folderTexts;
    whenModal<QFontDialog>([&](QFontDialog* dialog) {
        fontTexts = visibleTexts(dialog);
        dialog->reject();
    });
    chooseFont(nullptr, QFont(QStringLiteral("IPAGothic")));
    TBrowseDlg picker;
    picker.setChooser(fileDialogChooser(nullptr));
    picker.okCaption = "決定";
    picker.cancelCaption = "やめる";
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        folderTexts = visibleTexts(dialog);
        dialog->reject();
    });
    picker.execute(nullptr);
    ASSERT_FALSE(fontTexts.empty());
    ASSERT_FALSE(folderTexts.empty());
    for (const auto* texts : {&fontTexts, &folderTexts})
        for (const std::string& text : *texts)
            EXPECT_TRUE(std::find(english.begin(), english.end(), text) == english.end())
                << "English text: " << text;
    EXPECT_NE(std::find(fontTexts.begin(), fontTexts.end(), "フォント(&F)"), fontTexts.end())
        << ::testing::PrintToString(fontTexts);
}

} // namespace
} // namespace slidora::test
