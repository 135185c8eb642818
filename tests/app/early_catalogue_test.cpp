// The hand-over rule of the picture list walked at start-up: the core gets
// it only for the folder and size limit the settings named, once.
#include "app/EarlyCatalogue.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace slidora::test {
namespace {

// Records every walk ("folder@limit") and lists one entry naming the walk.
struct RecordedWalks {
    std::mutex mutex;
    std::vector<std::string> calls;
    EarlyCatalogue::Walk walk() {
        return
            [this](const std::string& folder, int minimumSizeKb, std::vector<std::string>& list) {
                const std::lock_guard<std::mutex> lock(mutex);
                calls.push_back(folder + "@" + std::to_string(minimumSizeKb));
                list.push_back(folder + " walk " + std::to_string(calls.size()));
            };
    }
};

struct HandOverCase {
    const char* name;
    const char* settings; // nullptr: no settings file
    const char* askedFolder;
    int askedLimitKb;
    const char* expectedList;
    std::vector<std::string> expectedWalks;
};

class EarlyCatalogueHandOver : public ::testing::TestWithParam<HandOverCase> {};

TEST_P(EarlyCatalogueHandOver, TheCoreGetsTheEarlyListOnlyForWhatItWasWalkedFor) {
    const HandOverCase& c = GetParam();
    TempTree tree;
    const std::string ini = tree.path("slidora.ini");
    if (c.settings != nullptr) tree.text("slidora.ini", c.settings);
    RecordedWalks walks;
    std::vector<std::string> list;
    {
        EarlyCatalogue catalogue(ini, "/program", walks.walk());
        catalogue.picRead(c.askedFolder, c.askedLimitKb, list);
    }
    EXPECT_EQ(list, std::vector<std::string>{c.expectedList});
    EXPECT_EQ(walks.calls, c.expectedWalks);
}

INSTANTIATE_TEST_SUITE_P(Requests, EarlyCatalogueHandOver,
                         ::testing::Values(HandOverCase{"SameFolderAndLimit",
                                                        "[Image]\nDispFolder=/pics\nMiniSize=20\n",
                                                        "/pics",
                                                        20,
                                                        "/pics walk 1",
                                                        {"/pics@20"}},
                                           HandOverCase{"OtherFolder",
                                                        "[Image]\nDispFolder=/pics\n",
                                                        "/pics/",
                                                        10,
                                                        "/pics/ walk 2",
                                                        {"/pics@10", "/pics/@10"}},
                                           HandOverCase{"OtherLimit",
                                                        "[Image]\nDispFolder=/pics\n",
                                                        "/pics",
                                                        11,
                                                        "/pics walk 2",
                                                        {"/pics@10", "/pics@11"}},
                                           HandOverCase{"NoSettingsFileWalksTheProgramFolder",
                                                        nullptr,
                                                        "/program",
                                                        10,
                                                        "/program walk 1",
                                                        {"/program@10"}},
                                           HandOverCase{"RefusedSettingsWalkNothingEarly",
                                                        "[Image]\nDispFolder=/pics\nMiniSize=ten\n",
                                                        "/pics",
                                                        10,
                                                        "/pics walk 1",
                                                        {"/pics@10"}}),
                         [](const ::testing::TestParamInfo<HandOverCase>& testCase) {
                             return std::string(testCase.param.name);
                         });

TEST(EarlyCatalogue, OnlyTheFirstRequestIsHandedTheEarlyList) {
    TempTree tree;
    const std::string ini = tree.text("slidora.ini", "[Image]\nDispFolder=/pics\n");
    RecordedWalks walks;
    EarlyCatalogue catalogue(ini, "/program", walks.walk());
    std::vector<std::string> first, second;
    catalogue.picRead("/pics", 10, first);
    catalogue.picRead("/pics", 10, second);
    EXPECT_EQ(first, std::vector<std::string>{"/pics walk 1"});
    EXPECT_EQ(second, std::vector<std::string>{"/pics walk 2"});
}

TEST(EarlyCatalogue, AListAlreadyHoldingEntriesIsWalkedInto) {
    TempTree tree;
    const std::string ini = tree.text("slidora.ini", "[Image]\nDispFolder=/pics\n");
    RecordedWalks walks;
    EarlyCatalogue catalogue(ini, "/program", walks.walk());
    std::vector<std::string> list{"/held"};
    catalogue.picRead("/pics", 10, list);
    EXPECT_EQ(list, (std::vector<std::string>{"/held", "/pics walk 2"}));
}

} // namespace
} // namespace slidora::test
