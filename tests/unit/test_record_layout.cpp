// The record is a wire format: 748 bytes, little-endian, and the reserved gaps the test helpers
// skip are the header's.  (Every field's offset is asserted at compile time in the header.)
#include <gtest/gtest.h>

#include "../torture/torture.h"

namespace {

TEST(RecordLayout, LittleEndianFieldsAndReservedGaps) {
    EXPECT_EQ(sizeof(EffectSettings), 748u);
    EffectSettings s{};
    s.comp_threshold_db = 0x01020304;
    s.echo_delay_s = 1.0f;  // 0x3F800000
    const auto* b = reinterpret_cast<const unsigned char*>(&s);
    EXPECT_EQ(std::tuple(b[336], b[339], b[212], b[215]), std::tuple(0x04, 0x01, 0x00, 0x3F));
    const size_t gaps[] = {offsetof(EffectSettings, reserved_1),   offsetof(EffectSettings, reserved_197),
                           offsetof(EffectSettings, reserved_201), offsetof(EffectSettings, reserved_209),
                           offsetof(EffectSettings, reserved_221), offsetof(EffectSettings, reserved_237),
                           offsetof(EffectSettings, reserved_261), offsetof(EffectSettings, reserved_285),
                           offsetof(EffectSettings, reserved_309), offsetof(EffectSettings, reserved_333),
                           offsetof(EffectSettings, reserved_353), offsetof(EffectSettings, reserved_385),
                           offsetof(EffectSettings, reserved_401), offsetof(EffectSettings, reserved_425),
                           offsetof(EffectSettings, reserved_449), offsetof(EffectSettings, reserved_469),
                           offsetof(EffectSettings, reserved_481)};
    for (size_t i = 0; i < 17; ++i) EXPECT_EQ(gaps[i], vemo::torture::kReservedStarts[i]) << i;
}

}  // namespace
