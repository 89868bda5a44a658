#include "engine/effect_types.h"

namespace vemo {

std::string_view effect_list_text(int type) {
    static constexpr std::string_view kNames[kEffectCount + 1] = {
        "",           "图形均衡器", "压缩效果器", "音调变化器", "失真效果器",     "过载效果器",
        "调幅效果器", "回响效果器", "飘忽效果器", "移相效果器", "降噪效果器",     "合唱效果器",
        "混响效果器", "WaWa效果器", "超重低音效果器", "取反效果器", "颤音效果器",
    };
    return is_effect_type(type) ? kNames[type] : std::string_view{};
}

int parse_leading_int(std::string_view text) {
    // Like atoi: optional spaces and sign, then digits; saturates instead of overflowing.
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
    }
    return static_cast<int>(neg ? -v : v);
}

}  // namespace vemo
