// The record is a wire format: its size and offsets never move.
#include <gtest/gtest.h>

#include <cstddef>

#include "vemosoundmix.h"

namespace {

TEST(RecordLayout, SizeAndKeyOffsets) {
    EXPECT_EQ(sizeof(EffectSettings), 748u);
    EXPECT_EQ(offsetof(EffectSettings, eq_band_level), 72u);
    EXPECT_EQ(offsetof(EffectSettings, eq_preset_builtin), 196u);
    EXPECT_EQ(offsetof(EffectSettings, am_level_db_copy), 312u);
    EXPECT_EQ(offsetof(EffectSettings, invert_enabled), 492u);
    EXPECT_EQ(offsetof(EffectSettings, chain_order), 493u);
    // The preset block (name .. built-in flag) is one 196-byte preset record from offset 4.
    EXPECT_EQ(offsetof(EffectSettings, eq_preset_builtin) - offsetof(EffectSettings, eq_preset_name), 192u);
}

TEST(RecordLayout, FieldsAreLittleEndianAtTheirOffsets) {
    EffectSettings s{};
    s.comp_threshold_db = 0x01020304;
    s.echo_delay_s = 1.0f;  // 0x3F800000
    const auto* b = reinterpret_cast<const unsigned char*>(&s);
    EXPECT_EQ(b[336], 0x04);
    EXPECT_EQ(b[339], 0x01);
    EXPECT_EQ(b[212], 0x00);
    EXPECT_EQ(b[215], 0x3F);
}

}  // namespace
