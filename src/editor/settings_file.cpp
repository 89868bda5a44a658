#include "editor/settings_file.h"

#include <cstdio>
#include <vector>

#include "editor/preset_file.h"
#include "editor/text_codec.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vemo {

std::string settings_file_path(const std::string& host_dir) { return path_in_dir(host_dir, "quillaret.ini"); }

namespace {

std::string_view trim(std::string_view s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    const size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

// Whether the line opens a section; if so, its name.
bool section_of(std::string_view line, std::string_view& name) {
    const std::string_view t = trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const size_t close = t.find(']');
    if (close == std::string_view::npos) return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

bool is_key_line(std::string_view line, std::string_view key) {
    const size_t eq = line.find('=');
    return eq != std::string_view::npos && trim(line.substr(0, eq)) == key;
}

}  // namespace

std::string profile_set(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
    std::vector<std::string_view> lines = split_lines(text);
    // Built by appending: GCC 12 misreports "literal" + string at -O3 (-Wrestrict).
    std::string entry(key);
    entry.append("=").append(value);
    std::string header("[");
    header.append(section).append("]");

    // Names match byte for byte: code page 936 trail bytes may look like ASCII letters, so
    // no case folding is safe here.
    size_t insert_at = lines.size();
    bool in_section = false, found_section = false;
    long replace_at = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (section_of(lines[i], name)) {
            if (in_section) break;
            in_section = name == section;
            if (in_section) found_section = true, insert_at = i + 1;
            continue;
        }
        if (!in_section) continue;
        if (is_key_line(lines[i], key)) {
            replace_at = static_cast<long>(i);
            break;
        }
        if (!trim(lines[i]).empty()) insert_at = i + 1;
    }

    std::vector<std::string_view> out(lines.begin(), lines.end());
    if (replace_at >= 0) {
        out[static_cast<size_t>(replace_at)] = entry;
    } else if (found_section) {
        out.insert(out.begin() + static_cast<long>(insert_at), entry);
    } else {
        out.push_back(header);
        out.push_back(entry);
    }
    std::string result;
    for (std::string_view l : out) {
        result.append(l);
        result.append("\r\n");
    }
    return result;
}

bool write_colour_settings(const std::string& path, const ColourScheme& scheme) {
    struct Entry {
        const char* key;  // UTF-8
        int32_t value;
    };
    const Entry entries[4] = {
        {"软件界面类型", scheme.header_style},
        {"软件界面边框", scheme.border_style},
        {"软件界面颜色", settings_colour_value(scheme.main_colour)},
        {"主窗口透明度", scheme.window_alpha},
    };
    std::string section;
    if (!utf8_to_cp936("Lorun音效器", section)) return false;
#ifdef _WIN32
    bool ok = true;
    for (const Entry& e : entries) {
        std::string key;
        if (!utf8_to_cp936(e.key, key)) return false;
        ok = WritePrivateProfileStringA(section.c_str(), key.c_str(), std::to_string(e.value).c_str(), path.c_str()) &&
             ok;
    }
    return ok;
#else
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        std::fclose(f);
    }
    for (const Entry& e : entries) {
        std::string key;
        if (!utf8_to_cp936(e.key, key)) return false;
        text = profile_set(text, section, key, std::to_string(e.value));
    }
    return replace_file_atomically(path, text);
#endif
}

}  // namespace vemo
