#include "settings/effect_types.h"

namespace vemo {

const EffectInfo kEffects[kEffectCount + 1] = {
    {EffectType(0), "", "", "", ""},
    {kGraphicEq, "eq", "graphic equaliser", "图形均衡器", "eq_"},
    {kCompressor, "compressor", "compressor", "压缩效果器", "comp_"},
    {kPitchChanger, "pitch", "pitch changer", "音调变化器", "pitch_"},
    {kDistortion, "distortion", "distortion", "失真效果器", "dist_"},
    {kOverdrive, "overdrive", "overdrive", "过载效果器", "odrive_"},
    {kAmpMod, "am", "amplitude modulation", "调幅效果器", "am_"},
    {kEcho, "echo", "echo", "回响效果器", "echo_"},
    {kDrift, "drift", "drift", "飘忽效果器", "drift_"},
    {kPhaser, "phaser", "phaser", "移相效果器", "phaser_"},
    {kDenoise, "denoise", "noise reduction", "降噪效果器", "denoise_"},
    {kChorus, "chorus", "chorus", "合唱效果器", "chorus_"},
    {kReverb, "reverb", "reverberation", "混响效果器", "reverb_"},
    {kWah, "wah", "wah-wah", "WaWa效果器", "wah_"},
    {kSuperBass, "bass", "super bass", "超重低音效果器", "bass_"},
    {kPhaseInvert, "invert", "phase inversion", "取反效果器", "invert_"},
    {kVibrato, "vibrato", "vibrato", "颤音效果器", "vibrato_"},
};

std::string_view effect_list_text(int type) { return is_effect_type(type) ? kEffects[type].list_text : std::string_view{}; }

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
