// The record is a wire format: 748 bytes, little-endian.  (Every field's offset is asserted at compile
// time in the header; the reserved gaps the helpers skip are checked by the dump/build round trip.)
#include <gtest/gtest.h>

#include <tuple>

#include "vemosoundmix.h"

TEST(RecordLayout, SevenHundredFortyEightLittleEndianBytes) {
    EXPECT_EQ(sizeof(EffectSettings), 748u);
    EffectSettings s{};
    s.comp_threshold_db = 0x01020304;
    s.echo_delay_s = 1.0f;  // 0x3F800000
    const auto* b = reinterpret_cast<const unsigned char*>(&s);
    EXPECT_EQ(std::tuple(b[336], b[339], b[212], b[215]), std::tuple(0x04, 0x01, 0x00, 0x3F));
}
