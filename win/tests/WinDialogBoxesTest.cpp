// The settings dialog's Windows boxes: the "確認" question answers and
// captions whatever the system's language, and the version record reader.
#include "dialog/win/WinDialogBoxes.h"
#include "platform/win/Utf16.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace slidora::win {
namespace {

struct BoxSeen {
    std::string yes;
    std::string no;
    std::string message;
};

// Finds the question box from another thread (polling until a deadline),
// reads its texts and sends it `keys` as posted key messages, or closes it
// when there are none.
std::thread answerBox(BoxSeen& seen, std::vector<UINT> keys) {
    return std::thread([&seen, keys] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        HWND box = nullptr;
        while (!box && std::chrono::steady_clock::now() < deadline) {
            box = FindWindowW(L"#32770", toUtf16(kConfirmCaption).c_str());
            if (!box) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!box) return;
        wchar_t text[256] = {};
        GetDlgItemTextW(box, IDOK, text, 256);
        seen.yes = toUtf8(text);
        GetDlgItemTextW(box, IDCANCEL, text, 256);
        seen.no = toUtf8(text);
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        seen.message = toUtf8(text);
        const HWND target = GetDlgItem(box, IDOK);
        if (keys.empty()) PostMessageW(box, WM_CLOSE, 0, 0);
        for (UINT key : keys) {
            PostMessageW(target, WM_KEYDOWN, key, 0);
            if (key >= 'A' && key <= 'Z') PostMessageW(target, WM_CHAR, key - 'A' + 'a', 0);
            PostMessageW(target, WM_KEYUP, key, 0xC0000000);
        }
    });
}

struct AnswerCase {
    const char* label;
    std::vector<UINT> keys; // none: the close box
    bool yes;
};

class ConfirmationTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ConfirmationTest, TheBoxCarriesItsCaptionsAndTheKeyGivesItsAnswer) {
    BoxSeen seen;
    std::thread answerer = answerBox(seen, GetParam().keys);
    const bool answer = askConfirmation(nullptr, "C:\\写真\\ には\r画像ファイルがありません。");
    answerer.join();
    EXPECT_EQ(seen.yes, "はい(&Y)");
    EXPECT_EQ(seen.no, "いいえ(&N)");
    EXPECT_EQ(seen.message, "C:\\写真\\ には\r画像ファイルがありません。");
    EXPECT_EQ(answer, GetParam().yes);
}

INSTANTIATE_TEST_SUITE_P(Answers, ConfirmationTest,
                         ::testing::Values(AnswerCase{"ReturnIsYes", {VK_RETURN}, true},
                                           AnswerCase{"EscIsNo", {VK_ESCAPE}, false},
                                           AnswerCase{"CloseBoxIsNo", {}, false},
                                           AnswerCase{"LetterYIsYes", {'Y'}, true},
                                           AnswerCase{"LetterNIsNo", {'N'}, false}),
                         [](const ::testing::TestParamInfo<AnswerCase>& p) {
                             return std::string(p.param.label);
                         });

TEST(FileVersionText, TheRecordsFileVersionIsReadAndAMissingRecordIsNothing) {
    EXPECT_EQ(fileVersionText("DialogDriver.exe"), std::optional<std::string>("1.5.0.0"));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(fileVersionText(toUtf8(self)), std::nullopt) << "the test has no version record";
    EXPECT_EQ(fileVersionText("no-such-program.exe"), std::nullopt);
}

} // namespace
} // namespace slidora::win
