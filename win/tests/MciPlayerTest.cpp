#include "audio/win/MciPlayer.h"

#include "platform/ErrorText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <set>
#include <string>

namespace slidora::win {
namespace {

// Every text MCI has for its own error numbers.
std::set<std::string> mciErrorTexts() {
    std::set<std::string> texts;
    for (unsigned long e = MCIERR_BASE; e <= MCIERR_BASE + 1000; ++e) {
        wchar_t buffer[MAXERRORLENGTH] = {};
        if (mciGetErrorStringW(static_cast<MCIERROR>(e), buffer, MAXERRORLENGTH) && buffer[0])
            texts.insert(mciErrorText(e));
    }
    return texts;
}

std::string missingFile(const char* extension) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    std::string path;
    for (const wchar_t* c = folder; *c != 0; ++c)
        path += static_cast<char>(*c);
    return path + "slidora-no-such-file" + extension;
}

class MciPlayerMissingFile : public ::testing::TestWithParam<const char*> {};

TEST_P(MciPlayerMissingFile, RaisesMcisOwnText) {
    MciPlayer player;
    std::string message;
    try {
        player.open(missingFile(GetParam()));
        ADD_FAILURE() << "a missing file opened";
    } catch (const SlidoraError& error) {
        message = error.what();
    }
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(mciErrorTexts().count(message), 1U) << message;
    EXPECT_FALSE(player.isOpen());
    EXPECT_FALSE(player.isPlaying());
    player.close();
    player.play();
    EXPECT_FALSE(player.isPlaying());
}

INSTANTIATE_TEST_SUITE_P(Extensions, MciPlayerMissingFile, ::testing::Values(".mid", ".wav"),
                         [](const ::testing::TestParamInfo<const char*>& p) {
                             return std::string(p.param + 1);
                         });

TEST(MciErrorText, UnknownNumberNamesIt) {
    EXPECT_EQ(mciErrorText(0xFFFFFFUL), "MCI error 16777215");
}

} // namespace
} // namespace slidora::win
