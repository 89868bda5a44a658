#include "record_json.h"

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

#include "cli_error.h"
#include "settings/param_table.h"
#include "text_cp936.h"

namespace vemomix_cli {
namespace {

// The record is little-endian; fields are read and written in place.
static_assert(std::endian::native == std::endian::little, "the record codec assumes a little-endian host");

using vemo::FieldType;
using vemo::ParamRow;

size_t size_of(const ParamRow& f) { return vemo::field_size(f.type); }

constexpr size_t kNameBytes = sizeof(EffectSettings::eq_preset_name);

uint8_t* bytes_of(EffectSettings& s) { return reinterpret_cast<uint8_t*>(&s); }
const uint8_t* bytes_of(const EffectSettings& s) { return reinterpret_cast<const uint8_t*>(&s); }

int32_t load_i32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
void store_i32(uint8_t* p, int32_t v) { std::memcpy(p, &v, sizeof v); }

// ------------------------------------------------------------------ record -> JSON

// Shortest text that reads back as the same float; JSON has no spelling for the non-finite ones.
Json float_to_json(float f) {
    const uint32_t bits = std::bit_cast<uint32_t>(f);
    if (std::isinf(f)) return f > 0 ? "inf" : "-inf";
    if (std::isnan(f)) {
        if (bits == 0x7FC00000u) return "nan";
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", bits);
        return hex;
    }
    char text[32];
    const auto res = std::to_chars(text, text + sizeof text - 1, f);
    *res.ptr = '\0';
    const double d = std::strtod(text, nullptr);
    // Reading goes through double; keep the exact value whenever that double rounding would move it.
    if (std::bit_cast<uint32_t>(static_cast<float>(d)) == bits) return d;
    return static_cast<double>(f);
}

Json name_to_json(const uint8_t* p) {
    const std::string raw(reinterpret_cast<const char*>(p), kNameBytes);
    const size_t n = raw.find('\0');
    bool clean = n != std::string::npos;
    for (size_t i = n + 1; clean && i < kNameBytes; ++i) clean = raw[i] == '\0';
    if (clean) {
        const std::string name = raw.substr(0, n);
        const auto text = cp936_to_utf8(name);
        if (text && utf8_to_cp936(*text) == name) return *text;
    }
    Json all = Json::array();
    for (size_t i = 0; i < kNameBytes; ++i) all.push_back(p[i]);
    return all;
}

// ------------------------------------------------------------------ JSON -> record

class FieldReader {
public:
    FieldReader(std::string source, std::string field) : source_(std::move(source)), field_(std::move(field)) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw CliError(source_, "field \"" + field_ + "\" " + what);
    }

    int64_t integer(const Json& v, int64_t lo, int64_t hi, const std::string& where = "") const {
        const std::string range = "an integer from " + std::to_string(lo) + " to " + std::to_string(hi);
        if (!v.is_number_integer()) fail(where + "must be " + range + ", not " + describe(v));
        if (v.is_number_unsigned() && v.get<uint64_t>() > static_cast<uint64_t>(hi))
            fail(where + "must be " + range + ", not " + v.dump());
        const int64_t n = v.get<int64_t>();
        if (n < lo || n > hi) fail(where + "must be " + range + ", not " + v.dump());
        return n;
    }

    float real(const Json& v) const {
        static const char* kWhat = "must be a number, \"inf\", \"-inf\", \"nan\" or \"0x\" with the float's bits";
        if (v.is_number()) {
            const double d = v.get<double>();
            const float f = static_cast<float>(d);
            if (std::isinf(f)) fail("is beyond the range of a 32-bit float: " + v.dump());
            return f;
        }
        if (!v.is_string()) fail(std::string(kWhat) + ", not " + describe(v));
        const std::string t = v.get<std::string>();
        if (t == "inf") return std::numeric_limits<float>::infinity();
        if (t == "-inf") return -std::numeric_limits<float>::infinity();
        if (t == "nan") return std::bit_cast<float>(0x7FC00000u);
        if (t.size() > 2 && t.size() <= 10 && (t.rfind("0x", 0) == 0 || t.rfind("0X", 0) == 0)) {
            uint32_t bits = 0;
            const auto res = std::from_chars(t.data() + 2, t.data() + t.size(), bits, 16);
            if (res.ec == std::errc{} && res.ptr == t.data() + t.size()) return std::bit_cast<float>(bits);
        }
        fail(std::string(kWhat) + ", not " + v.dump());
    }

    const Json& array(const Json& v, size_t max, const std::string& of) const {
        if (!v.is_array() || v.size() > max)
            fail("must be an array of at most " + std::to_string(max) + " " + of + ", not " + describe(v));
        return v;
    }

    static std::string at(size_t i) { return "element " + std::to_string(i) + " "; }

private:
    static std::string describe(const Json& v) {
        if (v.is_array()) return "an array of " + std::to_string(v.size());
        if (v.is_object()) return "an object";
        if (v.is_string()) return "the string " + v.dump();
        if (v.is_boolean()) return v.dump();
        if (v.is_null()) return "null";
        return v.dump();
    }

    std::string source_;
    std::string field_;
};

void read_name(const FieldReader& r, const Json& v, uint8_t* p) {
    std::memset(p, 0, kNameBytes);
    if (v.is_string()) {
        const std::string text = v.get<std::string>();
        if (text.find('\0') != std::string::npos) r.fail("must not contain the character U+0000");
        const auto bytes = utf8_to_cp936(text);
        if (!bytes) r.fail("has characters that code page 936 cannot write");
        if (bytes->size() >= kNameBytes)
            r.fail("is " + std::to_string(bytes->size()) + " bytes in code page 936; at most 63 fit");
        std::memcpy(p, bytes->data(), bytes->size());
        return;
    }
    if (!v.is_array()) r.fail("must be a string or an array of at most 64 bytes");
    r.array(v, kNameBytes, "bytes");
    for (size_t i = 0; i < v.size(); ++i) p[i] = static_cast<uint8_t>(r.integer(v[i], 0, 255, r.at(i)));
}

void read_field(const ParamRow& f, const Json& v, const std::string& source, uint8_t* rec) {
    const FieldReader r(source, std::string(f.field));
    uint8_t* p = rec + f.offset;
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
    switch (f.type) {
        case FieldType::kU8:
            *p = static_cast<uint8_t>(r.integer(v, 0, 255));
            break;
        case FieldType::kI32:
            store_i32(p, static_cast<int32_t>(r.integer(v, kMin, kMax)));
            break;
        case FieldType::kF32: {
            const float x = r.real(v);
            std::memcpy(p, &x, sizeof x);
            break;
        }
        case FieldType::kLevels:
            r.array(v, size_of(f) / 4, "integers");
            for (size_t i = 0; i < v.size(); ++i)
                store_i32(p + 4 * i, static_cast<int32_t>(r.integer(v[i], kMin, kMax, r.at(i))));
            break;
        case FieldType::kChain:
            r.array(v, size_of(f), "integers");
            std::memset(p, 0, size_of(f));
            for (size_t i = 0; i < v.size(); ++i) p[i] = static_cast<uint8_t>(r.integer(v[i], 0, 255, r.at(i)));
            break;
        case FieldType::kText:
            read_name(r, v, p);
            break;
    }
}

}  // namespace

Json record_to_json(const EffectSettings& s) {
    const uint8_t* rec = bytes_of(s);
    Json j = Json::object();
    for (const ParamRow& f : vemo::param_rows()) {
        const std::string name(f.field);
        const uint8_t* p = rec + f.offset;
        switch (f.type) {
            case FieldType::kU8:
                j[name] = *p;
                break;
            case FieldType::kI32:
                j[name] = load_i32(p);
                break;
            case FieldType::kF32: {
                float x;
                std::memcpy(&x, p, sizeof x);
                j[name] = float_to_json(x);
                break;
            }
            case FieldType::kLevels: {
                Json a = Json::array();
                for (size_t i = 0; i < size_of(f) / 4; ++i) a.push_back(load_i32(p + 4 * i));
                j[name] = a;
                break;
            }
            case FieldType::kChain: {
                size_t n = size_of(f);
                while (n > 0 && p[n - 1] == 0) --n;
                Json a = Json::array();
                for (size_t i = 0; i < n; ++i) a.push_back(p[i]);
                j[name] = a;
                break;
            }
            case FieldType::kText:
                j[name] = name_to_json(p);
                break;
        }
    }
    return j;
}

EffectSettings record_from_json(const Json& j, const EffectSettings& base, const std::string& source) {
    if (!j.is_object()) throw CliError(source, "the settings must be one JSON object of record fields");
    EffectSettings s = base;
    for (const auto& [key, value] : j.items()) {
        const ParamRow* field = vemo::find_param(key);
        if (!field) throw CliError(source, "unknown field \"" + key + "\"");
        read_field(*field, value, source, bytes_of(s));
    }
    return s;
}

Json parse_json(const std::string& text, const std::string& source) {
    try {
        return Json::parse(text);
    } catch (const Json::parse_error& e) {
        // The library's message starts with its own exception tag; the rest says where and what.
        std::string what = e.what();
        const size_t tag = what.find("] ");
        if (tag != std::string::npos) what = what.substr(tag + 2);
        throw CliError(source, "malformed JSON: " + what);
    }
}

std::string format_json(const Json& j) {
    std::string out = "{\n";
    bool first = true;
    for (const auto& [key, value] : j.items()) {
        out += first ? "  " : ",\n  ";
        out += Json(key).dump() + ": " + value.dump();
        first = false;
    }
    out += "\n}\n";
    return out;
}

EffectSettings record_from_bytes(const std::string& bytes, const std::string& source) {
    EffectSettings s;
    if (bytes.size() != sizeof s)
        throw CliError(source, "a settings record is " + std::to_string(sizeof s) + " bytes, this file has " +
                                   std::to_string(bytes.size()));
    std::memcpy(&s, bytes.data(), sizeof s);
    return s;
}

void clear_reserved(EffectSettings& s) {
    bool defined[sizeof(EffectSettings)] = {};
    for (const ParamRow& f : vemo::param_rows())
        for (size_t i = 0; i < size_of(f); ++i) defined[f.offset + i] = true;
    uint8_t* rec = bytes_of(s);
    for (size_t i = 0; i < sizeof s; ++i)
        if (!defined[i]) rec[i] = 0;
}

}  // namespace vemomix_cli
