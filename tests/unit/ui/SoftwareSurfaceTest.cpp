// The software rasterizer both backends paint with: pixels, blending,
// clipping, skins (states, margins, tiling), scaling and text placement, and
// whole windows rendered off-screen.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/unit/ui/UiFixture.h"
#include "ui/core/ApplicationImages.h"
#include "ui/core/HostRenderer.h"
#include "ui/render/Skin.h"
#include "ui/render/SoftwareSurface.h"
#include "sim/headless/BlockTextRasterizer.h"
#include "sim/headless/PngFile.h"

namespace zintra::ui::test {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// A straight-alpha picture from 0xAARRGGBB values, row by row.
Bitmap Picture(int width, int height, const std::vector<std::uint32_t>& argb) {
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    for (std::uint32_t p : argb) {
        bitmap.pixels.push_back(static_cast<std::uint8_t>(p >> 16));
        bitmap.pixels.push_back(static_cast<std::uint8_t>(p >> 8));
        bitmap.pixels.push_back(static_cast<std::uint8_t>(p));
        bitmap.pixels.push_back(static_cast<std::uint8_t>(p >> 24));
    }
    return bitmap;
}

class SoftwareDrawing : public ::testing::Test {
protected:
    PixelBuffer target{8, 8};
    std::map<std::string, Bitmap, std::less<>> pictures;
    ImageCache images{[this](std::string_view source) -> std::optional<Bitmap> {
        auto it = pictures.find(source);
        if (it == pictures.end()) return std::nullopt;
        return it->second;
    }};
    BlockTextRasterizer text;

    SoftwareSurface Surface(double scale = 1.0) { return SoftwareSurface(target, images, text, scale); }
    Skin MakeSkin(std::string source, int states) {
        Skin skin;
        skin.source = std::move(source);
        skin.states = states;
        return skin;
    }
    int Count(std::uint32_t pixel) const { return static_cast<int>(std::count(target.pixels.begin(), target.pixels.end(), pixel)); }
};

TEST_F(SoftwareDrawing, FillCoversItsRectangleWithRightAndBottomExclusive) {
    auto surface = Surface();
    surface.FillRect({2, 3, 5, 4}, Color{255, 0, 0, 255});
    EXPECT_EQ(target.At(2, 3), kRed);
    EXPECT_EQ(target.At(4, 3), kRed);
    EXPECT_EQ(target.At(5, 3), 0u);
    EXPECT_EQ(target.At(2, 4), 0u);
    EXPECT_EQ(Count(kRed), 3);
}

TEST_F(SoftwareDrawing, TranslucentColoursBlendAndStayPremultiplied) {
    auto surface = Surface();
    surface.FillRect({0, 0, 1, 1}, Color{255, 0, 0, 128});
    EXPECT_EQ(target.At(0, 0), 0x80800000u);  // on nothing: premultiplied, alpha kept
    surface.FillRect({1, 0, 2, 1}, Color{0, 0, 0, 255});
    surface.FillRect({1, 0, 2, 1}, Color{255, 255, 255, 128});
    EXPECT_EQ(target.At(1, 0), 0xFF808080u);  // half white over black
    surface.FillRect({2, 0, 3, 1}, Color{0, 255, 0, 0});
    EXPECT_EQ(target.At(2, 0), 0u);  // fully transparent paints nothing
}

TEST_F(SoftwareDrawing, ClipsNestAndPopRestoresTheOuterOne) {
    auto surface = Surface();
    surface.PushClip({0, 0, 4, 4});
    surface.PushClip({2, 2, 8, 8});
    surface.FillRect({0, 0, 8, 8}, Color{0, 0, 255, 255});
    EXPECT_EQ(Count(kBlue), 4);  // only 2..3 x 2..3
    surface.PopClip();
    surface.FillRect({0, 0, 8, 8}, Color{0, 255, 0, 255});
    EXPECT_EQ(Count(kGreen), 16);
    surface.PopClip();
    surface.PopClip();  // one pop too many is harmless
    surface.FillRect({7, 7, 9, 9}, Color{255, 0, 0, 255});
    EXPECT_EQ(target.At(7, 7), kRed);
}

TEST_F(SoftwareDrawing, FrameLeavesTheInsideAlone) {
    auto surface = Surface();
    surface.FrameRect({0, 0, 8, 8}, Color{255, 0, 0, 255}, 2);
    EXPECT_EQ(target.At(0, 0), kRed);
    EXPECT_EQ(target.At(1, 4), kRed);
    EXPECT_EQ(target.At(6, 7), kRed);
    EXPECT_EQ(target.At(2, 2), 0u);
    EXPECT_EQ(target.At(5, 5), 0u);
    EXPECT_EQ(Count(kRed), 64 - 16);
}

TEST_F(SoftwareDrawing, LinesIncludeBothEnds) {
    auto surface = Surface();
    surface.DrawLine({1, 1}, {6, 6}, Color{0, 255, 0, 255}, 1);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(target.At(i, i), kGreen) << i;
    EXPECT_EQ(Count(kGreen), 6);
    surface.DrawLine({0, 7}, {7, 7}, Color{0, 0, 255, 255}, 1);
    EXPECT_EQ(Count(kBlue), 8);
}

TEST_F(SoftwareDrawing, ImageListDrawsTheCellOfTheState) {
    pictures["IMG:states"] = Picture(3, 1, {kRed, kGreen, kBlue});
    auto surface = Surface();
    surface.DrawSkin({0, 0, 2, 2}, MakeSkin("IMG:states", 3), 1, 255);
    EXPECT_EQ(Count(kGreen), 4);
    surface.DrawSkin({0, 0, 2, 2}, MakeSkin("IMG:states", 3), 7, 255);  // past the last: the last
    EXPECT_EQ(Count(kBlue), 4);
}

TEST_F(SoftwareDrawing, FrameMarginsKeepTheCornersWhenStretched) {
    // 3 x 3: distinct corners, grey middle; margin 1 all round.
    const std::uint32_t grey = 0xFF808080;
    pictures["IMG:frame"] = Picture(3, 3, {kRed, grey, kGreen, grey, grey, grey, kBlue, grey, kWhite});
    Skin skin = MakeSkin("IMG:frame", 1);
    skin.margin = {1, 1, 1, 1};
    auto surface = Surface();
    surface.DrawSkin({0, 0, 8, 8}, skin, 0, 255);
    EXPECT_EQ(target.At(0, 0), kRed);
    EXPECT_EQ(target.At(7, 0), kGreen);
    EXPECT_EQ(target.At(0, 7), kBlue);
    EXPECT_EQ(target.At(7, 7), kWhite);
    EXPECT_EQ(Count(grey), 64 - 4);
}

TEST_F(SoftwareDrawing, TiledFramesRepeatInsteadOfStretching) {
    pictures["IMG:dots"] = Picture(2, 1, {kRed, 0x00000000});
    Skin skin = MakeSkin("IMG:dots", 1);
    skin.tile = true;
    auto surface = Surface();
    surface.DrawSkin({0, 0, 7, 1}, skin, 0, 255);
    EXPECT_EQ(target.At(0, 0), kRed);
    EXPECT_EQ(target.At(1, 0), 0u);
    EXPECT_EQ(target.At(6, 0), kRed);
    EXPECT_EQ(Count(kRed), 4);
    EXPECT_EQ(target.At(0, 1), 0u);  // tiles never leave the rectangle
}

TEST_F(SoftwareDrawing, SkinAlphaAndPictureAlphaCombine) {
    pictures["IMG:half"] = Picture(1, 1, {0x80FF0000});
    auto surface = Surface();
    surface.DrawSkin({0, 0, 1, 1}, MakeSkin("IMG:half", 1), 0, 255);
    EXPECT_EQ(target.At(0, 0), 0x80800000u);
    surface.DrawSkin({1, 0, 2, 1}, MakeSkin("IMG:half", 1), 0, 128);
    EXPECT_EQ(target.At(1, 0), 0x40400000u);
}

TEST_F(SoftwareDrawing, MissingOrBrokenPicturesDrawNothing) {
    pictures["IMG:empty"] = Bitmap{};
    auto surface = Surface();
    surface.DrawSkin({0, 0, 8, 8}, MakeSkin("IMG:none", 1), 0, 255);
    surface.DrawSkin({0, 0, 8, 8}, MakeSkin("IMG:empty", 3), 0, 255);
    EXPECT_EQ(Count(0), 64);
    EXPECT_EQ(images.Find("IMG:none"), nullptr);
}

TEST_F(SoftwareDrawing, ScaleMultipliesLayoutCoordinates) {
    auto surface = Surface(2.0);
    surface.FillRect({1, 1, 2, 2}, Color{255, 0, 0, 255});
    EXPECT_EQ(Count(kRed), 4);
    EXPECT_EQ(target.At(2, 2), kRed);
    EXPECT_EQ(target.At(3, 3), kRed);
    EXPECT_EQ(target.At(4, 4), 0u);
}

TEST_F(SoftwareDrawing, TextIsPlacedByItsModeAndClipped) {
    target.Resize(40, 20);
    Font font;
    font.size = 12;
    auto surface = Surface();
    // "ab" is 16 pixels wide in block glyphs; centred in 40 it starts at 12.
    surface.DrawText({0, 0, 40, 20}, u"ab", font, Color{0, 0, 255, 255},
                     text_mode::kSingleLine | text_mode::kCenter | text_mode::kVCenter);
    EXPECT_EQ(target.At(14 + 2, 10), kBlue);
    EXPECT_EQ(target.At(5, 10), 0u);
    EXPECT_EQ(target.At(35, 10), 0u);

    target.Clear();
    surface.PushClip({0, 0, 17, 20});
    surface.DrawText({0, 0, 40, 20}, u"ab", font, Color{0, 0, 255, 255},
                     text_mode::kSingleLine | text_mode::kCenter | text_mode::kVCenter);
    for (int y = 0; y < 20; ++y) {
        for (int x = 17; x < 40; ++x) ASSERT_EQ(target.At(x, y), 0u) << x << "," << y;
    }
}

TEST(PixelBuffers, StraightAlphaSurvivesTheRoundTrip) {
    const Bitmap in = Picture(2, 1, {0x80FF8000, 0x00123456});
    const PixelBuffer premultiplied = PixelBuffer::FromBitmap(in);
    EXPECT_EQ(premultiplied.At(0, 0), 0x80804000u);
    EXPECT_EQ(premultiplied.At(1, 0), 0u);
    const Bitmap out = premultiplied.ToBitmap();
    EXPECT_EQ(out.PixelAt(0, 0), 0x80FF8000u);
    EXPECT_EQ(out.PixelAt(1, 0), 0u);
}

TEST(PixelBuffers, AbsurdSizesGiveAnEmptyPicture) {
    PixelBuffer huge(100000, 100000);
    EXPECT_TRUE(huge.Empty());
    EXPECT_TRUE(huge.pixels.empty());
    PixelBuffer negative(-1, 5);
    EXPECT_TRUE(negative.Empty());
}

// Whole windows from the program's layouts, drawn off-screen.
class RenderedWindows : public ::testing::Test {
protected:
    UiFixture ui;
    ImageCache images{ApplicationImageLoader()};
    BlockTextRasterizer text;

    PixelBuffer Render(const std::string& layout) {
        RecordingHost host(layout);
        EXPECT_NE(host.Create(), 0u);
        PixelBuffer picture;
        RenderHost(host, picture, images, text);
        return picture;
    }
};

TEST_F(RenderedWindows, MainWindowShowsItsBandsBorderAndArtwork) {
    const PixelBuffer picture = Render("LAYOUT:XML_MAINWND");
    ASSERT_EQ(picture.width, 400);
    ASSERT_EQ(picture.height, 300);
    EXPECT_EQ(picture.At(0, 0), 0xFF000000u);      // 1-pixel black border
    EXPECT_EQ(picture.At(399, 150), 0xFF000000u);
    EXPECT_EQ(picture.At(200, 15), 0xFF015C5Du);   // caption band
    EXPECT_EQ(picture.At(390, 60), 0xFF009A9Au);   // body
    EXPECT_EQ(picture.At(3, 290), 0xFF015C5Du);    // footer
    // Every pixel is opaque: nothing of the desktop shows through.
    EXPECT_TRUE(std::all_of(picture.pixels.begin(), picture.pixels.end(), [](std::uint32_t p) { return p >> 24 == 255; }));
    // White label text on the body ("点击类型" at 20,14 of the body).
    int white = 0;
    for (int y = 44; y < 64; ++y) {
        for (int x = 21; x < 100; ++x) white += picture.At(x, y) == kWhite;
    }
    EXPECT_GT(white, 50);
    // The checked radio's mark shows on its white box although its label is white.
    EXPECT_EQ(picture.At(1 + 20 + 7, 1 + 30 + 42 + 9), 0xFF015C5Du);
    // The combo box's white edit area.
    EXPECT_EQ(picture.At(1 + 200 + 2, 1 + 30 + 78 + 11), kWhite);
}

TEST_F(RenderedWindows, CustomDialogIsTheBackgroundPictureAtItsSize) {
    const PixelBuffer picture = Render("LAYOUT:XML_CUSTOMTIME");
    EXPECT_EQ(picture.width, 282);
    EXPECT_EQ(picture.height, 162);
    EXPECT_NE(picture.At(5, 5) >> 24, 0u);
}

TEST_F(RenderedWindows, PngFileHoldsTheRenderedPixels) {
    const PixelBuffer picture = Render("LAYOUT:XML_SETTING");
    const auto path = std::filesystem::temp_directory_path() / ("zintra-setting-render-" + std::to_string(::getpid()) + ".png");
    ASSERT_TRUE(WritePngFile(picture, path.string()));
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::filesystem::remove(path);
    const auto decoded = ui.backend.DecodeImage(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 500);
    EXPECT_EQ(decoded->height, 560);
    EXPECT_EQ(decoded->PixelAt(250, 15), 0xFF015C5Du);
    EXPECT_FALSE(WritePngFile(PixelBuffer{}, path.string()));
}

}  // namespace
}  // namespace zintra::ui::test
