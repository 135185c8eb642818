#include "dialog/DialogLayout.h"

#include "dialog/DialogRules.h"
#include "settings/Settings.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace slidora {

namespace {

// A design value that is also the dialog's default for a key comes from the
// settings schema.
int schemaDefault(SettingKey key) {
    return std::stoi(settingSpec(key).dialogDefault);
}

std::vector<ControlDesign> makeLayout() {
    using K = ControlKind;
    std::vector<ControlDesign> t;
    auto add = [&t](const char* name, ControlKind kind, const char* parent, DesignRect place,
                    const char* caption = "", const char* hint = "") -> ControlDesign& {
        ControlDesign c;
        c.name = name;
        c.kind = kind;
        c.parent = parent;
        c.place = place;
        c.caption = caption;
        c.hint = hint;
        t.push_back(std::move(c));
        return t.back();
    };
    auto slider = [&add](const char* name, const char* parent, DesignRect place, const char* hint,
                         ControlRange range, int value, int tab) -> ControlDesign& {
        ControlDesign& c = add(name, K::Slider, parent, place, "", hint);
        c.range = range;
        c.designValue = value;
        c.tabOrder = tab;
        return c;
    };
    constexpr const char* kFrame = "";
    constexpr const char* kAbout = "目安です。";
    constexpr const char* kScanHint = "MAX 200。デフォルトは、20回。";

    add("Bevel1", K::Bevel, kFrame, {5, 0, 395, 401});
    add("Label1", K::Label, kFrame, {25, 5}, "画像のあるフォルダ");
    add("CheckBox1", K::CheckBox, kFrame, {240, 5}, "ランダム").tabOrder = 2;
    add("FolderText", K::PathField, kFrame, {25, 25, 301, 23}).tabOrder = 0;
    ControlDesign& browsePictures = add("Button1", K::Button, kFrame, {325, 25, 45, 25}, "参照");
    browsePictures.tabOrder = 1;
    browsePictures.designValue = kBrowsePictureFolder;

    add("GroupBox1", K::Group, kFrame, {15, 55, 180, 65}, " スライド間隔 ");
    slider("SlideTrackBar", "GroupBox1", {10, 20, 150, 25}, kAbout, {1, 30000, 10, 200, 5000}, 2000,
           3);
    add("Label9", K::TickLabel, "GroupBox1", {15, 45}, "0");
    add("Label3", K::TickLabel, "GroupBox1", {55, 45}, "10");
    add("Label5", K::TickLabel, "GroupBox1", {100, 45}, "20");
    add("Label6", K::TickLabel, "GroupBox1", {145, 45}, "30");
    add("Label4", K::Label, "GroupBox1", {105, 1});

    add("GroupBox4", K::Group, kFrame, {15, 130, 180, 65}, " 最大倍率 ");
    slider("Bairitu", "GroupBox4", {10, 20, 150, 25}, "拡大時の最大倍率。", {10, 30, 10, 1, 5}, 30,
           4);
    add("Label13", K::TickLabel, "GroupBox4", {15, 45}, "1");
    add("Label17", K::TickLabel, "GroupBox4", {80, 45}, "2");
    add("Label18", K::TickLabel, "GroupBox4", {145, 45}, "3");
    add("BairituD", K::Label, "GroupBox4", {105, 1});

    add("GroupBox2", K::Group, kFrame, {15, 200, 180, 60}, " 背景色の明るさ");
    slider("BColorTrackBar", "GroupBox2", {25, 20, 125, 25}, kAbout, {0, 200, 10, 10, 50},
           schemaDefault(SettingKey::BGDensity), 5);
    add("Label8", K::RightLabel, "GroupBox2", {5, 25}, "暗");
    add("Label10", K::Label, "GroupBox2", {155, 25}, "明");
    add("CuteButton1", K::FlatButton, "GroupBox2", {110, 35, 10, 20}, "↑",
        "デフォルトに戻します。");

    ControlDesign& positions = add("RadioGroup1", K::RadioGroup, kFrame, {210, 55, 180, 86},
                                   " ファイル名の表示 ", "ファイル名の表示位置");
    positions.items = {"左上", "左下", "なし", "右上", "右下", "ランダム"};
    positions.columns = 2;
    positions.designValue = schemaDefault(SettingKey::FileName);
    positions.tabOrder = 6;
    add("Button4", K::Button, kFrame, {210, 145, 76, 26}, "フォント").tabOrder = 7;
    add("DirCheck", K::CheckBox, kFrame, {300, 150}, "フォルダ名", "フォルダ名を表示します。")
        .tabOrder = 8;
    add("DayCheck", K::CheckBox, kFrame, {210, 180}, "日付表示", "日付を表示します。").tabOrder = 9;
    add("TimeCheck", K::CheckBox, kFrame, {300, 180}, "時刻表示", "時刻を表示します。").tabOrder =
        10;
    add("Label7", K::Label, kFrame, {215, 210}, "サイズ", kScanHint);
    ControlDesign& size = add("SizeEdit", K::SpinEdit, kFrame, {275, 205, 46, 24}, "",
                              "最低のファイルサイズ。MAX 50KB。MIN 5KB。デフォルトは、10KB。");
    size.range = {5, 50};
    size.designValue = schemaDefault(SettingKey::MiniSize);
    size.maxLength = 3;
    size.tabOrder = 11;
    add("Label15", K::Label, kFrame, {330, 210}, "KB以上");
    add("Label12", K::Label, kFrame, {215, 240}, "スキャン回数", kScanHint);
    ControlDesign& scans = add("SpinEdit1", K::SpinEdit, kFrame, {320, 235, 45, 24}, "", kScanHint);
    scans.range = {5, 200};
    scans.designValue = 10;
    scans.tabOrder = 12;

    add("Panel1", K::Panel, kFrame, {15, 265, 375, 100});
    add("Label16", K::Label, "Panel1", {10, 5}, "Audioファイルのあるフォルダ");
    add("CheckBox2", K::CheckBox, "Panel1", {215, 5}, "ランダム").tabOrder = 16;
    add("Button3", K::Button, "Panel1", {305, 5, 55, 20}, "クリア").tabOrder = 15;
    add("AudioText", K::PathField, "Panel1", {10, 25, 306, 23}).tabOrder = 13;
    ControlDesign& browseAudio = add("Button2", K::Button, "Panel1", {315, 25, 45, 25}, "参照");
    browseAudio.tabOrder = 14;
    browseAudio.designValue = kBrowseAudioFolder;
    add("CheckBox3", K::CheckBox, "Panel1", {15, 65}, "Media Player で再生").tabOrder = 17;
    add("GroupBox3", K::Group, "Panel1", {190, 50, 170, 45}, " ボリューム ");
    slider("TrackBar1", "GroupBox3", {10, 15, 150, 25}, "音量調節・Media Player再生時は無効です。",
           {0, 100, 10, 10, 20}, schemaDefault(SettingKey::Volume), 18);

    add("Label20", K::Label, kFrame, {25, 375}, "Slidoraの動作時間");
    ControlDesign& actTime = add("ComboBox1", K::ComboBox, kFrame, {210, 370, 165, 23}, "",
                                 "省電力機能の時間が優先します。");
    for (int i = 0; i < kActTimeFixedEntries; ++i)
        actTime.items.emplace_back(actTimeCaption(i));
    actTime.designValue = -1;
    actTime.tabOrder = 19;

    // Label2's font and width measure the display paths; Label19's font is
    // the overlay font being edited (its design size in points).
    add("Label2", K::HiddenLabel, kFrame, {20, 110});
    add("Label19", K::HiddenLabel, kFrame, {145, 390}, "フォント用Dummy").designValue = 9;

    add("Image1", K::Picture, kFrame, {22, 410, 32, 41});
    add("Label14", K::Label, kFrame, {65, 410}, "&Slidora Saver");
    add("Label11", K::Label, kFrame, {85, 430}, "1.50");
    add("OKBtn", K::DefaultButton, kFrame, {180, 410, 95, 25}, "OK").tabOrder = 20;
    add("CancelBtn", K::CancelButton, kFrame, {285, 410, 90, 25}, "ｷｬﾝｾﾙ").tabOrder = 21;
    return t;
}

} // namespace

const std::vector<ControlDesign>& DialogLayout() {
    static const std::vector<ControlDesign> layout = makeLayout();
    return layout;
}

const ControlDesign& controlDesign(const std::string& name) {
    for (const ControlDesign& c : DialogLayout())
        if (c.name == name) return c;
    throw std::out_of_range("no dialog control named " + name);
}

std::vector<std::string> tabChain() {
    std::vector<const ControlDesign*> chain;
    for (const ControlDesign& c : DialogLayout())
        if (c.tabOrder != kNoTab) chain.push_back(&c);
    std::sort(chain.begin(), chain.end(), [](const ControlDesign* a, const ControlDesign* b) {
        return a->tabOrder < b->tabOrder;
    });
    std::vector<std::string> names;
    for (const ControlDesign* c : chain)
        names.push_back(c->name);
    return names;
}

} // namespace slidora
