// The vemomix command-line host, run as a separate process on files made in a temporary directory.
#include <bit>
#include <cstring>
#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "../torture/torture.h"
#include "vemosoundmix.h"

namespace {

using namespace vemomix_test;
using vemo::torture::reserved_byte;

int16_t negated(int16_t v) { return v == INT16_MIN ? v : static_cast<int16_t>(-v); }

EffectSettings record_of(const std::string& bytes) {
    EffectSettings s{};
    if (bytes.size() == sizeof s) std::memcpy(&s, bytes.data(), sizeof s);
    return s;
}

std::string bytes_of(const EffectSettings& s) { return std::string(reinterpret_cast<const char*>(&s), sizeof s); }

TEST_F(Cli, RenderWithInvertNegatesEverySampleAtAnyBufferSize) {
    const std::vector<int16_t> in = test_samples(2 * 10007);  // an odd frame count: a short last buffer
    write_audio(at("in.wav"), 44100, 2, in);

    const Outcome r = vemomix({"render", at("in.wav"), at("out.wav"), "--enable", "invert"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Audio out = read_audio(at("out.wav"));
    EXPECT_EQ(out.rate, 44100);
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(out.samples.size(), in.size());
    for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out.samples[i], negated(in[i])) << "sample " << i;

    // The library slices buffers longer than 4096 frames itself; the result does not depend on the slicing.
    for (const char* frames : {"1", "5000"}) {
        const Outcome b = vemomix({"render", at("in.wav"), at("b.wav"), "--enable", "invert", "--buffer", frames});
        ASSERT_EQ(b.status, 0) << b.err;
        EXPECT_EQ(read_audio(at("b.wav")).samples, out.samples) << "--buffer " << frames;
    }
    EXPECT_EQ(listing(work_.path()), (std::set<std::string>{"in.wav", "out.wav", "b.wav"}));
}

TEST_F(Cli, ChainOptionDecidesWhatRuns) {
    const std::vector<int16_t> in = test_samples(3001);
    write_audio(at("mono.wav"), 22050, 1, in);

    // Two rows of phase inversion cancel exactly, -32768 included.
    Outcome r = vemomix({"render", at("mono.wav"), at("twice.wav"), "--chain", "15,invert", "--enable", "invert"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Audio twice = read_audio(at("twice.wav"));
    EXPECT_EQ(twice.rate, 22050);
    EXPECT_EQ(twice.channels, 1);
    EXPECT_EQ(twice.samples, in);

    // Enabled but not in the chain: nothing runs, and the user is told why.
    r = vemomix({"render", at("mono.wav"), at("none.wav"), "--chain", "7,12", "--enable", "invert"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("invert"), std::string::npos) << r.err;
    EXPECT_EQ(read_audio(at("none.wav")).samples, in);

    r = vemomix({"render", at("mono.wav"), at("x.wav"), "--chain", "17"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("--chain"), std::string::npos) << r.err;
    r = vemomix({"render", at("mono.wav"), at("x.wav"), "--enable", "flanger"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("flanger"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(at("x.wav")));
}

TEST_F(Cli, DefaultSettingsPassSamplesThroughAndOtherFormatsBecomeSixteenBits) {
    const std::vector<int16_t> in = test_samples(2 * 700);
    write_audio(at("in.wav"), 48000, 2, in);
    Outcome r = vemomix({"render", at("in.wav"), at("out.wav")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_audio(at("out.wav")).samples, in);

    // Floating-point input: full scale is 32768, louder values are clipped.
    SF_INFO info{};
    info.samplerate = 11025;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* sf = sf_open(at("float.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(sf, nullptr);
    const float values[] = {0.5f, -1.0f, 1.5f, -2.0f, 0.25f / 32768.0f, 3.0f / 32768.0f, -0.75f};
    sf_writef_float(sf, values, std::size(values));
    sf_close(sf);
    r = vemomix({"render", at("float.wav"), at("float-out.wav")});
    ASSERT_EQ(r.status, 0) << r.err;
    const Audio out = read_audio(at("float-out.wav"));
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(out.rate, 11025);
    EXPECT_EQ(out.samples, (std::vector<int16_t>{16384, -32768, 32767, -32768, 0, 3, -24576}));
}

TEST_F(Cli, SettingsRecordAndJsonDriveTheRender) {
    const std::vector<int16_t> in = test_samples(2 * 1500);
    write_audio(at("in.wav"), 44100, 2, in);
    std::vector<int16_t> expected(in.size());
    for (size_t i = 0; i < in.size(); ++i) expected[i] = negated(in[i]);

    spit(at("inv.json"), R"({"invert_enabled": 1, "chain_order": [15]})");
    Outcome r = vemomix({"settings", "build", at("inv.json"), at("inv.bin")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = vemomix({"render", at("in.wav"), at("a.wav"), "--settings", at("inv.bin")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_audio(at("a.wav")).samples, expected);

    r = vemomix({"render", at("in.wav"), at("b.wav"), "--json", at("inv.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_audio(at("b.wav")).samples, expected);

    // A switched-on record whose chain holds no invert row changes nothing.
    spit(at("off.json"), R"({"invert_enabled": 1, "chain_order": [3, 0, 1]})");
    r = vemomix({"render", at("in.wav"), at("c.wav"), "--json", at("off.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_audio(at("c.wav")).samples, in);

    r = vemomix({"render", at("in.wav"), at("d.wav"), "--json", at("inv.json"), "--settings", at("inv.bin")});
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(fs::exists(at("d.wav")));
}

// A record with arbitrary bytes everywhere, the awkward float values included, survives dump and build.
TEST_F(Cli, DumpThenBuildGivesBackEveryDefinedByte) {
    std::string bytes(sizeof(EffectSettings), '\0');
    uint32_t x = 7;
    for (auto& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<char>(x >> 24);
    }
    EffectSettings s = record_of(bytes);
    s.echo_delay_s = std::bit_cast<float>(0x7FC01234u);   // a NaN with a payload
    s.echo_feedback = std::bit_cast<float>(0xFF800000u);  // -inf
    s.pitch_octaves = -0.0f;
    s.phaser_low_hz = std::bit_cast<float>(0x00000001u);  // the smallest subnormal
    s.phaser_high_hz = 0.1f;
    s.phaser_rate = std::bit_cast<float>(0x7FC00000u);
    std::memset(s.chain_order + 200, 0, 55);  // a chain that ends before the last byte
    spit(at("random.bin"), bytes_of(s));

    // A code page 936 name with nothing after its terminator comes out as text.
    EffectSettings named = s;
    std::memset(named.eq_preset_name, 0, sizeof named.eq_preset_name);
    std::memcpy(named.eq_preset_name, "\xc4\xe3\xba\xc3 EQ", 7);  // "你好 EQ"
    spit(at("named.bin"), bytes_of(named));

    for (const char* name : {"random", "named"}) {
        const std::string bin = std::string(name) + ".bin";
        const Outcome dump = vemomix({"settings", "dump", at(bin)});
        ASSERT_EQ(dump.status, 0) << dump.err;
        spit(at(std::string(name) + ".json"), dump.out);
        const Outcome build = vemomix({"settings", "build", at(std::string(name) + ".json"), at("back.bin")});
        ASSERT_EQ(build.status, 0) << build.err;
        const std::string before = slurp(at(bin)), after = slurp(at("back.bin"));
        ASSERT_EQ(after.size(), sizeof(EffectSettings));
        for (size_t i = 0; i < after.size(); ++i) {
            if (reserved_byte(i))
                EXPECT_EQ(after[i], 0) << name << " byte " << i;
            else
                EXPECT_EQ(after[i], before[i]) << name << " byte " << i;
        }
        if (std::string(name) == "named") {
            const auto j = nlohmann::json::parse(dump.out);
            EXPECT_EQ(j["eq_preset_name"], "你好 EQ");
            EXPECT_EQ(j["echo_delay_s"], "0x7FC01234");
            EXPECT_EQ(j["echo_feedback"], "-inf");
            EXPECT_EQ(j["phaser_rate"], "nan");
            EXPECT_EQ(j["phaser_high_hz"].get<double>(), 0.1);  // the float's shortest spelling
            EXPECT_EQ(j["chain_order"].size(), 200u);
        }
    }
}

TEST_F(Cli, DumpNamesTheFieldsOfTheRecord) {
    spit(at("d.json"), "{}");
    ASSERT_EQ(vemomix({"settings", "build", at("d.json"), at("d.bin")}).status, 0);
    const Outcome r = vemomix({"settings", "dump", at("d.bin")});
    ASSERT_EQ(r.status, 0) << r.err;
    // The keys are the header's field names, in record order, without the reserved gaps.
    std::vector<std::string> header_fields;
    std::istringstream header(slurp(VEMO_PUBLIC_HEADER));
    bool inside = false;
    for (std::string line; std::getline(header, line);) {
        if (line.find("typedef struct EffectSettings") != std::string::npos)
            inside = true;
        else if (line.find("} EffectSettings;") != std::string::npos)
            inside = false;
        else if (inside && line.find("reserved") == std::string::npos) {
            const size_t end = line.find_first_of("[;");
            const size_t start = line.find_last_of(' ', end) + 1;
            header_fields.push_back(line.substr(start, end - start));
        }
    }
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> keys;
    for (const auto& [key, value] : j.items()) keys.push_back(key);
    EXPECT_EQ(keys, header_fields);
    EXPECT_EQ(keys.size(), 80u);
    EXPECT_EQ(j["chain_order"], nlohmann::json({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(j["eq_band_level"].size(), 31u);
    EXPECT_EQ(j["eq_band_count"], 10);
    EXPECT_EQ(j["eq_preset_name"], "");
    EXPECT_EQ(j["echo_delay_s"].get<double>(), 0.6);
    EXPECT_EQ(j["echo_feedback"].get<double>(), 0.5);
    EXPECT_EQ(j["invert_enabled"], 0);
}

TEST_F(Cli, BuildTakesUnspecifiedFieldsFromTheLibrary) {
    EffectSettings defaults;
    std::memset(&defaults, 0, sizeof defaults);
    vemomix_begin();
    vemomix_init(44100, 2, 0);
    vemomix_get(&defaults);
    vemomix_close();
    std::memset(defaults.eq_preset_name, 0, sizeof defaults.eq_preset_name);
    auto* raw = reinterpret_cast<uint8_t*>(&defaults);
    for (size_t i = 0; i < sizeof defaults; ++i)
        if (reserved_byte(i)) raw[i] = 0;

    spit(at("empty.json"), "{}");
    ASSERT_EQ(vemomix({"settings", "build", at("empty.json"), at("empty.bin")}).status, 0);
    EXPECT_EQ(slurp(at("empty.bin")), bytes_of(defaults));

    spit(at("some.json"), R"({"comp_threshold_db": -30, "eq_band_level": [5, -5], "phaser_rate": 12.5,
                              "chain_order": [12, 7], "eq_preset_name": "Rock"})");
    const Outcome r = vemomix({"settings", "build", at("some.json"), at("some.bin")});
    ASSERT_EQ(r.status, 0) << r.err;
    EffectSettings want = defaults;
    want.comp_threshold_db = -30;
    want.eq_band_level[0] = 5;
    want.eq_band_level[1] = -5;
    want.phaser_rate = 12.5f;
    std::memset(want.chain_order, 0, sizeof want.chain_order);
    want.chain_order[0] = 12;
    want.chain_order[1] = 7;
    std::memcpy(want.eq_preset_name, "Rock", 4);
    EXPECT_EQ(slurp(at("some.bin")), bytes_of(want));
}

TEST_F(Cli, BadAudioInputIsRefusedWithoutOutput) {
    spit(at("text.wav"), "this is not audio\n");
    write_audio(at("32k.wav"), 32000, 2, test_samples(200));
    write_audio(at("three.wav"), 44100, 3, test_samples(300));
    write_audio(at("ok.wav"), 44100, 2, test_samples(200));
    const auto before = listing(work_.path());

    expect_refused(vemomix({"render", at("missing.wav"), at("out.wav")}), "missing.wav", before);
    expect_refused(vemomix({"render", at("text.wav"), at("out.wav")}), "text.wav", before);
    Outcome r = vemomix({"render", at("32k.wav"), at("out.wav")});
    expect_refused(r, "32k.wav", before);
    EXPECT_NE(r.err.find("32000"), std::string::npos) << r.err;
    r = vemomix({"render", at("three.wav"), at("out.wav")});
    expect_refused(r, "three.wav", before);
    EXPECT_NE(r.err.find("channel"), std::string::npos) << r.err;
    // An output that cannot be written is named too, and nothing is left half-written.
    expect_refused(vemomix({"render", at("ok.wav"), at("no-such-dir/out.wav")}), "no-such-dir/out.wav", before);
}

TEST_F(Cli, BadSettingsAreRefusedWithoutOutput) {
    write_audio(at("ok.wav"), 44100, 2, test_samples(200));
    spit(at("short.bin"), std::string(747, '\0'));
    spit(at("long.bin"), std::string(749, '\0'));
    spit(at("broken.json"), R"({"comp_threshold_db": -30,)");
    spit(at("unknown.json"), R"({"comp_treshold_db": -30})");
    spit(at("type.json"), R"({"comp_attack_ms": "fast"})");
    spit(at("range.json"), R"({"invert_enabled": 256})");
    spit(at("levels.json"), R"({"eq_band_level": [1, 2.5]})");
    const auto before = listing(work_.path());

    for (const char* bin : {"short.bin", "long.bin"}) {
        Outcome r = vemomix({"render", at("ok.wav"), at("out.wav"), "--settings", at(bin)});
        expect_refused(r, bin, before);
        EXPECT_NE(r.err.find("748"), std::string::npos) << r.err;
        expect_refused(vemomix({"settings", "dump", at(bin)}), bin, before);
    }
    expect_refused(vemomix({"settings", "dump", at("missing.bin")}), "missing.bin", before);

    Outcome r = vemomix({"render", at("ok.wav"), at("out.wav"), "--json", at("broken.json")});
    expect_refused(r, "broken.json", before);
    EXPECT_NE(r.err.find("malformed JSON"), std::string::npos) << r.err;
    expect_refused(vemomix({"settings", "build", at("broken.json"), at("out.bin")}), "broken.json", before);

    const std::pair<const char*, const char*> field_errors[] = {{"unknown.json", "comp_treshold_db"},
                                                                {"type.json", "comp_attack_ms"},
                                                                {"range.json", "invert_enabled"},
                                                                {"levels.json", "eq_band_level"}};
    for (const auto& [file, field] : field_errors) {
        r = vemomix({"settings", "build", at(file), at("out.bin")});
        expect_refused(r, file, before);
        EXPECT_NE(r.err.find(field), std::string::npos) << r.err;
        r = vemomix({"render", at("ok.wav"), at("out.wav"), "--json", at(file)});
        expect_refused(r, field, before);
    }
}

TEST_F(Cli, DemoWritesTheSameMusicEveryTime) {
    const Outcome r = vemomix({"demo"}, work_.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const Audio a = read_audio(at("demo-out.wav"));
    EXPECT_EQ(a.rate, 44100);
    EXPECT_EQ(a.channels, 2);
    EXPECT_EQ(a.samples.size(), 2u * 8 * 44100);
    EXPECT_NE(r.out.find("eq > compressor > chorus > echo > reverb"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("demo-out.wav"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("peak"), std::string::npos) << r.out;
    const Picture strip = read_png(at("demo-strip.png"));
    ASSERT_TRUE(strip.ok);
    EXPECT_EQ(strip.width, 414);
    EXPECT_EQ(strip.height, 42);

    // The strip goes beside the output wherever that is.
    fs::create_directory(at("sub"));
    const Outcome again = vemomix({"demo", "--out", at("sub/again.wav")});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(slurp(at("sub/again.wav")), slurp(at("demo-out.wav")));
    EXPECT_EQ(read_png(at("sub/demo-strip.png")).rgb, strip.rgb);
}

}  // namespace
