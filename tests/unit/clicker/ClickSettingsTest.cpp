#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "clicker/ClickSettings.h"
#include "sim/SimDesktop.h"

namespace zintra {
namespace {

const std::u16string kKey = u"SOFTWARE\\ZintraMouse";

std::vector<std::uint8_t> Bytes(const ClickSettings& s) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&s);
    return {p, p + sizeof(s)};
}

TEST(ClickSettings, FreshRecordHoldsTheDefaults) {
    ClickSettings s;
    EXPECT_EQ(s.clickType, 0);
    std::uint32_t bits;
    std::memcpy(&bits, &s.interval, 4);
    EXPECT_EQ(bits, 0x3DCCCCCDu);
    EXPECT_EQ(s.hotkeyVk, 119u);
    EXPECT_EQ(s.hotkeyModifiers, 0u);
    EXPECT_EQ(s.randomMax, 1);
    EXPECT_EQ(s.useRandomTime + s.useFixedPos + s.useLimitCount + s.closeRightTip + s.hideMain + s.autoRun, 0);
    EXPECT_EQ(s.HotkeyText(), u"");
}

TEST(ClickSettings, FirstStartWithoutValueKeepsDefaultsAndSaveWrites424BinaryBytes) {
    sim::SimDesktop desktop;
    ClickSettings s;
    ASSERT_TRUE(s.Load(desktop));
    EXPECT_EQ(Bytes(s), Bytes(ClickSettings{}));
    EXPECT_TRUE(desktop.KeyExists(kKey)) << "loading creates the key";

    ASSERT_TRUE(s.Save(desktop));
    auto stored = desktop.Value(kKey, u"MouseData");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, platform::reg::kBinary);
    EXPECT_EQ(stored->data.size(), 424u);
    EXPECT_EQ(stored->data, Bytes(s));
    EXPECT_EQ(desktop.FlushCount(), 1);
    EXPECT_EQ(desktop.OpenKeyHandles(), 0) << "every operation closes its key";
}

TEST(ClickSettings, StoredFieldsLandAtTheirOffsets) {
    sim::SimDesktop desktop;
    std::vector<std::uint8_t> data(424, 0);
    data[0] = 1;                                    // useRandomTime
    data[4] = 1;                                    // hideMain
    data[8] = 1;                                    // clickType right
    const float interval = 0.6f;
    std::memcpy(&data[12], &interval, 4);
    data[16] = 0x51;                                // 'Q'
    data[20] = 6;                                   // Ctrl+Shift
    data[24] = 5;                                   // randomMax
    data[28] = 0xC0; data[29] = 0x03;               // posX 960
    data[32] = 0x1C; data[33] = 0x02;               // posY 540
    data[36] = 3;                                   // limitCount
    const char16_t label[] = u"Ctrl+Shift+Q";
    std::memcpy(&data[40], label, sizeof(label));
    desktop.PutValue(kKey, u"MouseData", platform::reg::kBinary, data);

    ClickSettings s;
    ASSERT_TRUE(s.Load(desktop));
    EXPECT_EQ(s.useRandomTime, 1);
    EXPECT_EQ(s.hideMain, 1);
    EXPECT_EQ(s.clickType, 1);
    EXPECT_EQ(s.interval, 0.6f);
    EXPECT_EQ(s.hotkeyVk, 0x51u);
    EXPECT_EQ(s.hotkeyModifiers, 6u);
    EXPECT_EQ(s.randomMax, 5);
    EXPECT_EQ(s.posX, 960);
    EXPECT_EQ(s.posY, 540);
    EXPECT_EQ(s.limitCount, 3);
    EXPECT_EQ(s.HotkeyText(), u"Ctrl+Shift+Q");
}

TEST(ClickSettings, EachFlagByteIsItsOwnChoice) {
    // One stored byte set at a time: exactly its choice is on, and saving puts it back there.
    const std::pair<std::size_t, std::uint8_t ClickSettings::*> flags[] = {
        {0, &ClickSettings::useRandomTime}, {1, &ClickSettings::useFixedPos}, {2, &ClickSettings::useLimitCount},
        {3, &ClickSettings::closeRightTip}, {4, &ClickSettings::hideMain},    {5, &ClickSettings::autoRun},
    };
    for (const auto& [offset, flag] : flags) {
        sim::SimDesktop desktop;
        std::vector<std::uint8_t> data(424, 0);
        data[offset] = 1;
        desktop.PutValue(kKey, u"MouseData", platform::reg::kBinary, data);
        ClickSettings s;
        ASSERT_TRUE(s.Load(desktop));
        for (const auto& [other, otherFlag] : flags) EXPECT_EQ(s.*otherFlag, other == offset ? 1 : 0) << offset;

        ClickSettings fresh;
        fresh.*flag = 1;
        ASSERT_TRUE(fresh.Save(desktop));
        const auto stored = desktop.Value(kKey, u"MouseData");
        ASSERT_TRUE(stored);
        for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(stored->data[i], i == offset ? 1 : 0) << offset;
    }
}

TEST(ClickSettings, ShortValueLeavesTheRestOfTheRecordAsItWas) {
    sim::SimDesktop desktop;
    desktop.PutValue(kKey, u"MouseData", platform::reg::kBinary, std::vector<std::uint8_t>(12, 0));
    ClickSettings s;
    s.posY = 123;
    s.limitCount = 4567;
    s.SetHotkeyText(u"Ctrl+F9");
    s.reserved296[100] = 0x5A;
    ASSERT_TRUE(s.Load(desktop));
    EXPECT_EQ(s.clickType, 0);
    EXPECT_EQ(s.posY, 123);
    EXPECT_EQ(s.limitCount, 4567);
    EXPECT_EQ(s.HotkeyText(), u"Ctrl+F9");
    EXPECT_EQ(s.reserved296[100], 0x5A);
}

TEST(ClickSettings, ShortValueReplacesOnlyTheBeginning) {
    sim::SimDesktop desktop;
    std::vector<std::uint8_t> data(40, 0);
    data[2] = 1;   // useLimitCount
    data[8] = 2;   // long-press
    data[24] = 0;  // randomMax 0
    data[36] = 9;
    desktop.PutValue(kKey, u"MouseData", platform::reg::kBinary, data);

    ClickSettings s;
    ASSERT_TRUE(s.Load(desktop));
    EXPECT_EQ(s.useLimitCount, 1);
    EXPECT_EQ(s.clickType, 2);
    EXPECT_EQ(s.randomMax, 0);
    EXPECT_EQ(s.limitCount, 9);
    EXPECT_EQ(s.HotkeyText(), u"") << "bytes beyond the stored value keep their defaults";
}

TEST(ClickSettings, ReservedBytesSurviveLoadAndSave) {
    sim::SimDesktop desktop;
    std::vector<std::uint8_t> data(424, 0);
    for (std::size_t i = 168; i < 424; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 1);
    data[6] = 0xAB;
    data[7] = 0xCD;
    desktop.PutValue(kKey, u"MouseData", platform::reg::kBinary, data);

    ClickSettings s;
    ASSERT_TRUE(s.Load(desktop));
    s.clickType = 1;
    ASSERT_TRUE(s.Save(desktop));
    auto stored = desktop.Value(kKey, u"MouseData");
    ASSERT_TRUE(stored);
    data[8] = 1;
    EXPECT_EQ(stored->data, data);
}

TEST(ClickSettings, ValueOfAnotherTypeIsReadAsBytes) {
    sim::SimDesktop desktop;
    std::vector<std::uint8_t> data(12, 0);
    data[8] = 1;
    desktop.PutValue(kKey, u"MouseData", platform::reg::kSz, data);
    ClickSettings s;
    ASSERT_TRUE(s.Load(desktop));
    EXPECT_EQ(s.clickType, 1);
}

TEST(ClickSettings, LongerValueReadsAsMissing) {
    sim::SimDesktop desktop;
    std::vector<std::uint8_t> data(500, 0x01);
    desktop.PutValue(kKey, u"MouseData", platform::reg::kBinary, data);
    ClickSettings s;
    ASSERT_TRUE(s.Load(desktop));
    EXPECT_EQ(Bytes(s), Bytes(ClickSettings{}));
}

TEST(ClickSettings, UnopenableKeyLoadsNothingAndSavesNothing) {
    sim::SimDesktop desktop;
    desktop.FailKey(kKey);
    ClickSettings s;
    s.clickType = 1;
    EXPECT_FALSE(s.Load(desktop));
    EXPECT_EQ(s.clickType, 1);
    EXPECT_FALSE(s.Save(desktop));
    EXPECT_FALSE(desktop.Value(kKey, u"MouseData"));
}

TEST(ClickSettings, FailedWriteIsNotFlushed) {
    sim::SimDesktop desktop;
    desktop.FailWrites(true);
    ClickSettings s;
    EXPECT_FALSE(s.Save(desktop));
    EXPECT_EQ(desktop.FlushCount(), 0);
    EXPECT_EQ(desktop.OpenKeyHandles(), 0);
}

TEST(ClickSettings, HotkeyTextIsCutAt63UnitsAndReadWithoutTerminator) {
    ClickSettings s;
    s.SetHotkeyText(std::u16string(100, u'x'));
    EXPECT_EQ(s.HotkeyText().size(), 63u);
    EXPECT_EQ(s.hotkeyText[63], u'\0');
    // A stored label with no NUL in its 64 units ends at the field's end.
    for (auto& c : s.hotkeyText) c = u'y';
    EXPECT_EQ(s.HotkeyText(), std::u16string(64, u'y'));
}

TEST(ClickSettings, AShorterHotkeyLabelLeavesNothingOfTheLongerOne) {
    ClickSettings s;
    s.SetHotkeyText(u"Ctrl+Shift+Alt+PageDown");
    s.SetHotkeyText(u"F8");
    EXPECT_EQ(s.HotkeyText(), u"F8");
    for (std::size_t i = 2; i < kHotkeyTextUnits; ++i) EXPECT_EQ(s.hotkeyText[i], u'\0') << i;
}

}  // namespace
}  // namespace zintra
