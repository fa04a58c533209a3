// The program's resource package: look-ups ignore letter case, and every
// skin's picture exists with a width its states divide evenly.
#include <gtest/gtest.h>

#include "res/ProgramResources.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/render/IconDirectory.h"
#include "ui/render/Skin.h"

namespace zintra::ui::test {
namespace {

TEST(ProgramResources, LookUpsIgnoreLetterCase) {
    const auto package = CreateProgramResources();
    for (const char* name : {"uidef:xml_init", "UIDEF:XML_INIT", "LAYOUT:XML_MAINWND", "layout:xml_customtime",
                             "IMG:png_logo", "img:PNG_BTNCLOSE", "SMENU:menu_tray", "values:string", "VALUES:Skin",
                             "values:color", "ICON:icon_logo"}) {
        EXPECT_TRUE(package->Load(name).has_value()) << name;
    }
    EXPECT_EQ(package->Load("uidef:xml_init"), package->Load("UIDEF", "XML_INIT"));
    EXPECT_FALSE(package->Load("LAYOUT:XML_NOTHING").has_value());
    EXPECT_FALSE(package->Load("XML_MAINWND").has_value());  // no type
    EXPECT_FALSE(package->Load("LAYOUT:").has_value());
}

TEST(ProgramResources, IconHoldsTheFiveSizes) {
    const auto bytes = CreateProgramResources()->Load("ICON:ICON_LOGO");
    ASSERT_TRUE(bytes.has_value());
    const auto images = ReadIconDirectory(*bytes);
    ASSERT_TRUE(images.has_value());
    std::vector<int> sizes;
    for (const auto& image : *images) sizes.push_back(image.width);
    EXPECT_EQ(sizes, (std::vector<int>{48, 32, 24, 20, 16}));
    EXPECT_FALSE(ReadIconDirectory(bytes->substr(0, 20)).has_value());  // entries past the end
}

TEST(ProgramResources, EverySkinHasItsPictureWithWholeStates) {
    UiFixture ui;
    const UiDefinitions& definitions = ui.application->Definitions();
    const std::pair<const char*, int> skins[] = {
        {"skin_traymenu_icons", 9}, {"skin_png_logo", 1}, {"skin_btnClose", 3}, {"skin_btnMin", 3},
        {"skin_btnSett", 3}, {"skin_tab_left", 3}, {"skin_png_cbxbg", 3}, {"skin_cbx_right", 3},
        {"skin_img_start", 1}, {"skin_img_bottm_logo", 1}, {"skin_img_url", 1}, {"skin_png_line", 1},
        {"skin_tab_main", 3}, {"skin_edit", 1}, {"skin_point", 1}, {"skin_circle", 1}, {"skin_btnTest", 1},
        {"skin_btn_sure", 3}, {"skin_btnnor", 1}, {"skin_about", 1}, {"skin_aboutText", 1}, {"skin_img_drag", 1},
        {"skin_img_bj", 1}, {"skin_btn_cancel", 3}, {"skin_btn_customsure", 3}, {"skin_btn_sure_empty", 3},
        {"skin_cbxbg", 1}};
    for (const auto& [name, states] : skins) {
        const Skin* skin = definitions.FindSkin(name);
        ASSERT_NE(skin, nullptr) << name;
        EXPECT_EQ(skin->states, states) << name;
        EXPECT_GT(skin->imageSize.width, 0) << name;
        EXPECT_EQ(skin->imageSize.width % states, 0) << name;
        EXPECT_TRUE(ui.backend.DecodeImage(*ui.application->LoadResource(skin->source)).has_value()) << name;
    }
    EXPECT_EQ(definitions.FindSkin("skin_edit")->margin, (platform::Rect{2, 2, 2, 2}));
    EXPECT_TRUE(definitions.FindSkin("skin_point")->tile);
    EXPECT_EQ(definitions.FindSkin("skin_img_drag")->StateSize(), (platform::Size{20, 20}));
    EXPECT_EQ(definitions.FindSkin("skin_circle")->StateSize(), (platform::Size{20, 20}));
    EXPECT_EQ(definitions.FindSkin("skin_img_bj")->StateSize(), (platform::Size{282, 162}));
}

TEST(ProgramResources, PngSizeRejectsWhatIsNotAPng) {
    EXPECT_FALSE(PngSize("").has_value());
    EXPECT_FALSE(PngSize("GIF89a plus enough bytes to pass").has_value());
    std::string header("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\0\0\0\0\x10", 24);
    EXPECT_FALSE(PngSize(header).has_value());  // zero width
    header[19] = 0x08;
    EXPECT_EQ(PngSize(header), (platform::Size{8, 16}));
}

}  // namespace
}  // namespace zintra::ui::test
