#include "editor/text_codec.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace vemo {

#ifdef _WIN32
namespace {
bool convert(UINT from, UINT to, std::string_view in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    const DWORD strict = from == CP_UTF8 || from == 936 ? MB_ERR_INVALID_CHARS : 0;
    int wn = MultiByteToWideChar(from, strict, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (wn <= 0) return false;
    std::wstring w(static_cast<size_t>(wn), L'\0');
    MultiByteToWideChar(from, strict, in.data(), static_cast<int>(in.size()), w.data(), wn);
    BOOL lossy = FALSE;
    BOOL* lossy_ptr = to == CP_UTF8 ? nullptr : &lossy;
    int n = WideCharToMultiByte(to, 0, w.data(), wn, nullptr, 0, nullptr, lossy_ptr);
    if (n <= 0 || lossy) return false;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(to, 0, w.data(), wn, out.data(), n, nullptr, nullptr);
    return true;
}
}  // namespace

bool utf8_to_cp936(std::string_view utf8, std::string& out) { return convert(CP_UTF8, 936, utf8, out); }
bool cp936_to_utf8(std::string_view cp936, std::string& out) { return convert(936, CP_UTF8, cp936, out); }
#else
namespace {
bool convert(const char* to, const char* from, std::string_view in, std::string& out) {
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string src(in);
    char* inp = src.data();
    size_t inleft = src.size();
    std::string buf(in.size() * 2 + 8, '\0');
    char* outp = buf.data();
    size_t outleft = buf.size();
    bool ok = true;
    while (inleft > 0) {
        if (iconv(cd, &inp, &inleft, &outp, &outleft) == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                const size_t used = static_cast<size_t>(outp - buf.data());
                buf.resize(buf.size() * 2);
                outp = buf.data() + used;
                outleft = buf.size() - used;
                continue;
            }
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    if (ok) out.assign(buf.data(), static_cast<size_t>(outp - buf.data()));
    return ok;
}
}  // namespace

bool utf8_to_cp936(std::string_view utf8, std::string& out) { return convert("CP936", "UTF-8", utf8, out); }
bool cp936_to_utf8(std::string_view cp936, std::string& out) { return convert("UTF-8", "CP936", cp936, out); }
#endif

}  // namespace vemo
