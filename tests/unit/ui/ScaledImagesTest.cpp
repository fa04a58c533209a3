// Crisp at every scale: pictures come drawn for 1x, 1.5x and 2x and the one
// nearest the window's scale is drawn, pixel for pixel; frames and one-unit
// lines stay one pixel thick; text grows with the scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "sim/headless/BlockTextRasterizer.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/core/ScreenScale.h"
#include "ui/core/ApplicationImages.h"
#include "ui/core/HostRenderer.h"
#include "ui/render/Skin.h"
#include "ui/render/SoftwareSurface.h"

namespace zintra::ui::test {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

Bitmap Plain(int width, int height, std::uint32_t argb) {
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    for (int i = 0; i < width * height; ++i) {
        bitmap.pixels.push_back(static_cast<std::uint8_t>(argb >> 16));
        bitmap.pixels.push_back(static_cast<std::uint8_t>(argb >> 8));
        bitmap.pixels.push_back(static_cast<std::uint8_t>(argb));
        bitmap.pixels.push_back(static_cast<std::uint8_t>(argb >> 24));
    }
    return bitmap;
}

// A picture whose outer `ring` pixels are one colour and the rest another.
Bitmap Ringed(int size, int ring, std::uint32_t outside, std::uint32_t inside) {
    Bitmap bitmap = Plain(size, size, inside);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (x >= ring && y >= ring && x < size - ring && y < size - ring) continue;
            const std::size_t at = (static_cast<std::size_t>(y) * size + x) * 4;
            bitmap.pixels[at] = static_cast<std::uint8_t>(outside >> 16);
            bitmap.pixels[at + 1] = static_cast<std::uint8_t>(outside >> 8);
            bitmap.pixels[at + 2] = static_cast<std::uint8_t>(outside);
            bitmap.pixels[at + 3] = static_cast<std::uint8_t>(outside >> 24);
        }
    }
    return bitmap;
}

class ScaledPictures : public ::testing::TestWithParam<double> {
protected:
    PixelBuffer target{40, 40};
    std::map<std::string, Bitmap, std::less<>> pictures;
    std::vector<std::string> loaded;
    ImageCache images{[this](std::string_view source) -> std::optional<Bitmap> {
        loaded.emplace_back(source);
        auto it = pictures.find(source);
        if (it == pictures.end()) return std::nullopt;
        return it->second;
    }};
    BlockTextRasterizer text;

    double Scale() const { return GetParam(); }
    SoftwareSurface Surface() { return SoftwareSurface(target, images, text, Scale()); }
    int Count(std::uint32_t pixel) const {
        return static_cast<int>(std::count(target.pixels.begin(), target.pixels.end(), pixel));
    }
    int Pixels(int units) const { return PixelOfUnit(units, Scale()); }
};

TEST(ScaledPictureChoice, TheNearestVariantWinsAndTiesTakeTheLarger) {
    EXPECT_EQ(ImageCache::NearestVariantPercent(1.0), 100);
    EXPECT_EQ(ImageCache::NearestVariantPercent(1.2), 100);
    EXPECT_EQ(ImageCache::NearestVariantPercent(1.25), 150);
    EXPECT_EQ(ImageCache::NearestVariantPercent(1.5), 150);
    EXPECT_EQ(ImageCache::NearestVariantPercent(1.75), 200);
    EXPECT_EQ(ImageCache::NearestVariantPercent(2.0), 200);
    EXPECT_EQ(ImageCache::NearestVariantPercent(3.0), 200);
    EXPECT_EQ(ImageCache::NearestVariantPercent(0.5), 100);
}

TEST_P(ScaledPictures, TheVariantOfTheScaleIsDrawnPixelForPixelAtItsNaturalSize) {
    // Each variant its own colour, each at its scale's size of a 4 x 2 picture.
    pictures["IMG:p"] = Plain(4, 2, kRed);
    pictures["IMG:p_150"] = Plain(6, 3, kGreen);
    pictures["IMG:p_200"] = Plain(8, 4, kBlue);
    Skin skin;
    skin.source = "IMG:p";
    auto surface = Surface();
    surface.DrawSkin({2, 2, 6, 4}, skin, 0, 255);
    const std::uint32_t expected = Scale() == 1.0 ? kRed : Scale() == 1.5 ? kGreen : kBlue;
    EXPECT_EQ(Count(expected), (Pixels(6) - Pixels(2)) * (Pixels(4) - Pixels(2)));
    EXPECT_EQ(Count(expected), static_cast<int>(std::lround(4 * Scale()) * std::lround(2 * Scale())))
        << "the variant's own pixel count: copied, not stretched";
    EXPECT_EQ(target.At(Pixels(2), Pixels(2)), expected);
    EXPECT_EQ(target.At(Pixels(6), Pixels(4)), 0u);
}

TEST_P(ScaledPictures, AMissingVariantFallsBackToTheOnePictureStretched) {
    pictures["IMG:only"] = Plain(4, 2, kRed);
    Skin skin;
    skin.source = "IMG:only";
    auto surface = Surface();
    surface.DrawSkin({0, 0, 4, 2}, skin, 0, 255);
    EXPECT_EQ(Count(kRed), Pixels(4) * Pixels(2));
    if (Scale() != 1.0) {
        EXPECT_NE(std::find(loaded.begin(), loaded.end(), "IMG:only_" + std::to_string(static_cast<int>(Scale() * 100))),
                  loaded.end())
            << "the variant was looked for first";
    }
}

TEST_P(ScaledPictures, StatesAreCutFromTheVariantsOwnCells) {
    // Two states: 1x red | green, the larger variants blue | white.
    Bitmap small = Plain(4, 2, kRed);
    for (int y = 0; y < 2; ++y) {
        for (int x = 2; x < 4; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * 4 + x) * 4;
            small.pixels[at] = 0;
            small.pixels[at + 1] = 0xFF;
            small.pixels[at + 2] = 0;
        }
    }
    pictures["IMG:list"] = small;
    for (const auto& [suffix, size] : {std::pair{"_150", 3}, std::pair{"_200", 4}}) {
        Bitmap large = Plain(2 * size, size, kBlue);
        for (int y = 0; y < size; ++y) {
            for (int x = size; x < 2 * size; ++x) {
                const std::size_t at = (static_cast<std::size_t>(y) * 2 * size + x) * 4;
                large.pixels[at] = large.pixels[at + 1] = large.pixels[at + 2] = 0xFF;
            }
        }
        pictures[std::string("IMG:list") + suffix] = large;
    }
    Skin skin;
    skin.source = "IMG:list";
    skin.states = 2;
    auto surface = Surface();
    surface.DrawSkin({0, 0, 2, 2}, skin, 1, 255);
    const int area = Pixels(2) * Pixels(2);
    EXPECT_EQ(Count(Scale() == 1.0 ? kGreen : kWhite), area) << "the second state, whole";
}

TEST_P(ScaledPictures, FrameMarginsAreTakenInTheVariantsPixels) {
    // A 3-unit frame picture with a one-unit margin: red ring, green middle at 1x,
    // blue ring, white middle in the larger variants.
    pictures["IMG:frame"] = Ringed(3, 1, kRed, kGreen);
    pictures["IMG:frame_150"] = Ringed(5, 2, kBlue, kWhite);  // 4.5 pixels, drawn as 5 with a 2-pixel ring
    pictures["IMG:frame_200"] = Ringed(6, 2, kBlue, kWhite);
    Skin skin;
    skin.source = "IMG:frame";
    skin.margin = {1, 1, 1, 1};
    auto surface = Surface();
    surface.DrawSkin({0, 0, 10, 10}, skin, 0, 255);
    const std::uint32_t ring = Scale() == 1.0 ? kRed : kBlue;
    const std::uint32_t middle = Scale() == 1.0 ? kGreen : kWhite;
    const int size = Pixels(10);
    const int edge = Pixels(1);
    EXPECT_EQ(Count(middle), (size - 2 * edge) * (size - 2 * edge)) << "no ring colour leaks into the middle";
    EXPECT_EQ(Count(ring), size * size - (size - 2 * edge) * (size - 2 * edge));
}

TEST_P(ScaledPictures, HairlinesStayOnePixelThick) {
    target.Resize(80, 80);
    auto surface = Surface();
    surface.FrameRect({2, 2, 12, 12}, Color{255, 0, 0, 255}, 0);
    const int side = Pixels(12) - Pixels(2);
    EXPECT_EQ(Count(kRed), 4 * side - 4) << "a one-pixel ring";
    target.Clear();
    surface.DrawLine({1, 20}, {10, 20}, Color{0, 255, 0, 255}, 0);
    EXPECT_EQ(Count(kGreen), Pixels(10) - Pixels(1) + 1);
    target.Clear();
    // A picture laid out one unit high (a dotted rule) is a hairline too.
    pictures["IMG:rule"] = Plain(4, 1, kBlue);
    Skin rule;
    rule.source = "IMG:rule";
    rule.tile = true;
    surface.DrawSkin({0, 30, 20, 31}, rule, 0, 255);
    EXPECT_EQ(Count(kBlue), Pixels(20));
    // Frames a unit or more wide grow with the scale.
    target.Clear();
    surface.FrameRect({0, 0, 10, 10}, Color{255, 255, 255, 255}, 1);
    const int thick = Pixels(1);
    EXPECT_EQ(Count(kWhite), Pixels(10) * Pixels(10) - (Pixels(10) - 2 * thick) * (Pixels(10) - 2 * thick));
}

// Passes glyphs through and keeps the sizes it was asked to set.
class SizeRecordingText final : public TextRasterizer {
public:
    std::vector<int> sizes;
    platform::Size Measure(const Font& font, std::u16string_view text) override { return blocks.Measure(font, text); }
    CoverageMask Rasterize(const Font& font, std::u16string_view text, platform::Size box, std::uint32_t mode) override {
        sizes.push_back(font.size);
        return blocks.Rasterize(font, text, box, mode);
    }

private:
    BlockTextRasterizer blocks;
};

TEST_P(ScaledPictures, TextIsSetAtTheScaledSize) {
    target.Resize(200, 60);
    SizeRecordingText recording;
    SoftwareSurface surface(target, images, recording, Scale());
    Font font;
    font.size = 12;
    surface.DrawText({0, 0, 100, 30}, u"ab", font, Color{0, 0, 255, 255}, text_mode::kSingleLine);
    EXPECT_EQ(recording.sizes, (std::vector<int>{static_cast<int>(12 * Scale())})) << "glyphs drawn at the screen's size, not stretched";
    EXPECT_GT(Count(kBlue), 0);
}

INSTANTIATE_TEST_SUITE_P(AtEachScale, ScaledPictures, ::testing::Values(1.0, 1.5, 2.0),
                         [](const auto& info) { return "x" + std::to_string(static_cast<int>(info.param * 100)); });

// The program's own pictures: every one has its 1.5x and 2x variant (the
// hairline rules excepted), and a window drawn at a scale asks for its own.
class ProgramPictures : public ::testing::TestWithParam<double> {
protected:
    UiFixture ui;
    std::set<std::string> asked;
    ImageCache images{[this](std::string_view source) {
        asked.emplace(source);
        return ApplicationImageLoader()(source);
    }};
    BlockTextRasterizer text;
};

TEST_P(ProgramPictures, AWindowDrawnAtAScaleUsesThatScalesPictures) {
    const int percent = ImageCache::NearestVariantPercent(GetParam());
    for (const char* layout : {"LAYOUT:XML_MAINWND", "LAYOUT:XML_SETTING", "LAYOUT:XML_CUSTOM"}) {
        RecordingHost host(layout);
        ASSERT_NE(host.Create(), 0u);
        PixelBuffer picture;
        RenderHost(host, picture, images, text, GetParam());
        EXPECT_EQ(picture.width, PixelOfUnit(host.GetClientSize().width, GetParam()));
    }
    const std::string close = percent == 100 ? "IMG:png_btnClose" : "IMG:png_btnClose_" + std::to_string(percent);
    EXPECT_TRUE(asked.count(close)) << close;
    for (const std::string& source : asked) {
        const auto endsWith = [&source](std::string_view tail) {
            return source.size() > tail.size() && source.compare(source.size() - tail.size(), tail.size(), tail) == 0;
        };
        const bool variant = endsWith("_150") || endsWith("_200");
        const bool hairline = source.rfind("IMG:png_point", 0) == 0 || source.rfind("IMG:png_line", 0) == 0;
        if (percent == 100) {
            EXPECT_FALSE(variant) << source;
        } else if (!variant && !hairline) {
            EXPECT_TRUE(asked.count(source + "_" + std::to_string(percent))) << "no 1x fall-back for " << source;
        }
        if (variant && !hairline) {
            const ImageCache::Variant found = images.FindForScale(source.substr(0, source.size() - 4), GetParam());
            ASSERT_NE(found.picture, nullptr) << source << " is in the program";
            EXPECT_EQ(found.scale, percent / 100.0) << source;
        }
    }
}

TEST(ProgramPictureVariants, EachVariantIsItsScaleTimesThePictureItReplaces) {
    UiFixture ui;
    ImageCache images{ApplicationImageLoader()};
    for (const double scale : {1.5, 2.0}) {
        const int percent = ImageCache::NearestVariantPercent(scale);
        for (const char* skinName : {"skin_btnClose", "skin_tab_main", "skin_traymenu_icons", "skin_btn_sure", "skin_about",
                                     "skin_cbxbg", "skin_edit"}) {
            const Skin* skin = ui.application->Definitions().FindSkin(skinName);
            ASSERT_NE(skin, nullptr) << skinName;
            const ImageCache::Variant variant = images.FindForScale(skin->source, scale);
            ASSERT_NE(variant.picture, nullptr) << skinName;
            EXPECT_EQ(variant.scale, percent / 100.0) << skinName;
            const int states = std::max(1, skin->states);
            EXPECT_EQ(variant.picture->width % states, 0) << skinName << ": whole cells";
            EXPECT_EQ(variant.picture->width / states, PixelOfUnit(skin->StateSize().width, variant.scale)) << skinName;
            EXPECT_EQ(variant.picture->height, PixelOfUnit(skin->StateSize().height, variant.scale)) << skinName;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AtEachScale, ProgramPictures, ::testing::Values(1.0, 1.5, 2.0),
                         [](const auto& info) { return "x" + std::to_string(static_cast<int>(info.param * 100)); });

}  // namespace
}  // namespace zintra::ui::test
