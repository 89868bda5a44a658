#include "editor/settings_file.h"

#include <vector>

#include "editor/durable_file.h"
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

// A line of the file without its line end, and that end as it was ("\r\n", "\n" or none).
struct Line {
    std::string_view text;
    std::string_view end;
};

std::vector<Line> split_lines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        Line line{text.substr(0, nl), {}};
        if (nl != std::string_view::npos) {
            const bool cr = nl > 0 && text[nl - 1] == '\r';
            line.text = text.substr(0, cr ? nl - 1 : nl);
            line.end = text.substr(cr ? nl - 1 : nl, cr ? 2 : 1);
        }
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
    // A UTF-8 byte-order mark stays where it is, and the first section starts behind it.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const bool bom = text.substr(0, kBom.size()) == kBom;
    if (bom) text.remove_prefix(kBom.size());
    std::vector<Line> lines = split_lines(text);
    // Lines we add end the way the file's first line does, CR LF in a file without line ends.
    const std::string_view eol = !lines.empty() && lines.front().end == "\n" ? "\n" : "\r\n";
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
        if (section_of(lines[i].text, name)) {
            if (in_section) break;
            in_section = name == section;
            if (in_section) found_section = true, insert_at = i + 1;
            continue;
        }
        if (!in_section) continue;
        if (is_key_line(lines[i].text, key)) {
            replace_at = static_cast<long>(i);
            break;
        }
        if (!trim(lines[i].text).empty()) insert_at = i + 1;
    }

    std::vector<Line> out(lines.begin(), lines.end());
    if (replace_at >= 0) {
        out[static_cast<size_t>(replace_at)].text = entry;
    } else if (found_section) {
        out.insert(out.begin() + static_cast<long>(insert_at), Line{entry, eol});
    } else {
        out.push_back(Line{header, eol});
        out.push_back(Line{entry, eol});
    }
    std::string result(bom ? kBom : std::string_view());
    for (size_t i = 0; i < out.size(); ++i) {
        result.append(out[i].text);
        // Only the last line may go without an end.
        result.append(out[i].end.empty() && i + 1 < out.size() ? eol : out[i].end);
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
    // The host's own keys must survive: a file that is there but cannot be read is left alone
    // rather than replaced by ours alone, and so is anything but a regular file.  One writer at a
    // time, so that two hosts saving at once do not drop each other's sections.
    const auto edit = [&](std::string& text) {
        for (const Entry& e : entries) {
            std::string key;
            if (!utf8_to_cp936(e.key, key)) return false;
            text = profile_set(text, section, key, std::to_string(e.value));
        }
        return true;
    };
    return rewrite_file(path, edit, kFileLockWaitMs, true).written();
#endif
}

}  // namespace vemo
