// The layouts' small languages: positions, colours, fonts and named ids.
#include <gtest/gtest.h>

#include "ui/render/Color.h"
#include "ui/render/Font.h"
#include "ui/core/LayoutPosition.h"
#include "ui/core/NamedIds.h"

namespace zintra::ui {
namespace {

const platform::Rect kParent{10, 20, 410, 320};  // 400 x 300

platform::Rect Place(const char* pos, platform::Size own = {40, 10},
                     std::optional<platform::Rect> previous = std::nullopt) {
    const auto position = LayoutPosition::Parse(pos);
    EXPECT_TRUE(position.has_value()) << pos;
    if (!position) return {};
    return position->Compute(kParent, previous, [&](int) { return own; });
}

TEST(LayoutPosition, EdgesCentreSizesAndPreviousSibling) {
    EXPECT_EQ(Place("5,6"), (platform::Rect{15, 26, 55, 36}));
    EXPECT_EQ(Place("0,0,-0,-0"), kParent);
    EXPECT_EQ(Place("-30,0,@30,@30"), (platform::Rect{380, 20, 410, 50}));
    EXPECT_EQ(Place("|0,|-5"), (platform::Rect{210, 165, 250, 175}));
    EXPECT_EQ(Place("[6,0", {40, 10}, platform::Rect{100, 20, 150, 40}), (platform::Rect{156, 20, 196, 30}));
    EXPECT_EQ(Place("[6,0"), (platform::Rect{16, 20, 56, 30}));  // no sibling: from the edge
    // Three items: the right edge is given, the height is the content's.
    EXPECT_EQ(Place("6,4,-6"), (platform::Rect{16, 24, 404, 34}));
    // A far corner before the near one collapses to nothing rather than going negative.
    EXPECT_EQ(Place("100,0,50,10"), (platform::Rect{110, 20, 110, 30}));
}

TEST(LayoutPosition, MalformedPositionsAreRejected) {
    for (const char* bad : {"", "5", "1,2,3,4,5", "a,b", "@5,0", "0,@5", "--5,0", "5,,6", "0x,1"}) {
        EXPECT_FALSE(LayoutPosition::Parse(bad).has_value()) << bad;
    }
    // Huge numbers are clamped, not overflowed.
    const auto huge = LayoutPosition::Parse("99999999999,-99999999999");
    ASSERT_TRUE(huge.has_value());
    const platform::Rect far = huge->Compute(kParent, std::nullopt, [](int) { return platform::Size{5, 5}; });
    EXPECT_EQ(far.left, 100000);
    EXPECT_EQ(far.top, 320 - 100000);
    const auto big = LayoutPosition::Parse("9999999,0,@9999999,@1");
    ASSERT_TRUE(big.has_value());
    const platform::Rect rect = big->Compute(kParent, std::nullopt, [](int) { return platform::Size{}; });
    EXPECT_LE(rect.right, 200010);
}

TEST(LayoutPosition, ContentSizeIsAskedForTheGivenWidth) {
    // Text that wraps needs the width the layout gives it to say its height.
    const auto asked = [](const char* pos) {
        int width = -2;
        LayoutPosition::Parse(pos)->Compute(kParent, std::nullopt, [&](int hint) {
            width = hint;
            return platform::Size{40, 10};
        });
        return width;
    };
    EXPECT_EQ(asked("6,4,-6"), 388);
    EXPECT_EQ(asked("6,4,@100"), 100);
    EXPECT_EQ(asked("100,0,50"), 0) << "a far edge before the near one gives no width";
    EXPECT_EQ(asked("5,6"), -1) << "no width given: the content chooses";
}

TEST(LayoutPosition, OffsetsAreFractionsOfTheControl) {
    const auto offset = LayoutOffset::Parse("-0.5,-0.5");
    ASSERT_TRUE(offset.has_value());
    EXPECT_DOUBLE_EQ(offset->x, -0.5);
    EXPECT_FALSE(LayoutOffset::Parse("0.5").has_value());
    EXPECT_FALSE(LayoutOffset::Parse("nan,0").has_value());
    EXPECT_DOUBLE_EQ(LayoutOffset::Parse("1e300,0")->x, 4.0);
}

TEST(Color, HexAndRgbForms) {
    EXPECT_EQ(Color::Parse("#015C5D"), (Color{0x01, 0x5C, 0x5D, 255}));
    EXPECT_EQ(Color::Parse("#00aAaA"), (Color{0x00, 0xAA, 0xAA, 255}));
    EXPECT_EQ(Color::Parse("#FF000080"), (Color{255, 0, 0, 0x80}));
    EXPECT_EQ(Color::Parse(" rgb(255, 0,0) "), (Color{255, 0, 0, 255}));
    EXPECT_EQ(Color::Parse("rgba(1,2,3,4)"), (Color{1, 2, 3, 4}));
    for (const char* bad : {"", "#12345", "#GG0000", "rgb(256,0,0)", "rgb(1,2)", "rgb(1,2,3", "red"}) {
        EXPECT_FALSE(Color::Parse(bad).has_value()) << bad;
    }
}

TEST(Font, AddingAndStylesOnTheDefault) {
    const Font base{u"微软雅黑", 12, false, false, false};
    FontSpec spec = FontSpec::Parse("adding:4,bold:1");
    EXPECT_EQ(spec.Resolve(base), (Font{u"微软雅黑", 16, true, false, false}));
    spec.MergeFrom(FontSpec::Parse("underline:1"));
    EXPECT_TRUE(spec.Resolve(base).underline);
    EXPECT_EQ(FontSpec::Parse("adding:-100").Resolve(base).size, 1);
    EXPECT_EQ(FontSpec::Parse("face:Arial,size:9").Resolve(base), (Font{u"Arial", 9, false, false, false}));
}

TEST(NamedIds, LookUpInAnyOrderKeepsTheFirstOfDuplicates) {
    NamedIds ids;
    ids.Set({{"url", 65547}, {"btn_close", 65536}, {"_name_start", 65535}, {"url", 1}});
    EXPECT_EQ(ids.Find("url"), 65547);
    EXPECT_EQ(ids.Find("btn_close"), 65536);
    EXPECT_EQ(ids.Find("_name_start"), 65535);
    EXPECT_FALSE(ids.Find("URL").has_value());
    EXPECT_EQ(ids.Size(), 3u);
}

}  // namespace
}  // namespace zintra::ui
