// The sixteen exports.  Each validates, then hands over to the engine, the settings codec or
// the editor; nothing thrown inside ever leaves through them.
#include <exception>

#include "editor/editor.h"
#include "engine/engine.h"
#include "api/settings_codec.h"
#include "vemosoundmix.h"

using namespace vemo;

namespace {

template <typename F>
void guarded(F&& f) noexcept {
    try {
        f();
    } catch (...) {
        // A failed allocation or conversion leaves the previous state; the host hears nothing.
    }
}

// Every export but vemomix_change: one at a time, whichever thread calls.
template <typename F>
void control(F&& f) noexcept {
    guarded([&] {
        std::lock_guard lock(engine().control);
        f();
    });
}

}  // namespace

extern "C" {

VEMOMIX_API void VEMOMIX_CALL vemomix_begin(void) {
    control([] {
        engine_begin(engine());
        editor().begin();
    });
}

VEMOMIX_API void VEMOMIX_CALL vemomix_init(int32_t rate, int32_t channels, int32_t show) {
    // Only 1 or 2 channels exist in this design; other counts leave everything as it was.
    if (channels != 1 && channels != 2) return;
    control([&] {
        if (!editor().exists()) return;
        engine_init(engine(), rate, channels);
        editor().on_engine_init(rate, channels, show);
    });
}

VEMOMIX_API int32_t VEMOMIX_CALL vemomix_change(int16_t* samples, int32_t bytes) {
    int32_t result = bytes;
    guarded([&] { result = engine_change(engine(), samples, bytes); });
    return result;
}

VEMOMIX_API void VEMOMIX_CALL vemomix_set(EffectSettings settings) {
    control([&] {
        if (editor().exists()) settings_set(settings);
    });
}

VEMOMIX_API void VEMOMIX_CALL vemomix_get(EffectSettings* settings) {
    if (settings == nullptr) return;
    control([&] {
        if (editor().exists() && engine().initialised) settings_get(*settings);
    });
}

VEMOMIX_API void VEMOMIX_CALL vemomix_setiir(uint8_t on) {
    engine().enabled[kGraphicEq].store(on, std::memory_order_relaxed);
    control([&] { editor().set_switch(kGraphicEq, on == 1); });
}

VEMOMIX_API void VEMOMIX_CALL vemomix_setecho(uint8_t on) {
    engine().enabled[kEcho].store(on, std::memory_order_relaxed);
    control([&] { editor().set_switch(kEcho, on == 1); });
}

VEMOMIX_API void VEMOMIX_CALL vemomix_setlevel(void) {}

VEMOMIX_API void VEMOMIX_CALL vemomix_setdisp(uint8_t show) {
    control([&] { editor().set_display(show); });
}

VEMOMIX_API void VEMOMIX_CALL vemomix_datarefresh(void) {
    control([] { engine_datarefresh(engine()); });
}

VEMOMIX_API uint8_t VEMOMIX_CALL vemomix_get_dispstatus(void) {
    uint8_t shown = 0;
    control([&] { shown = editor().shown; });
    return shown;
}

VEMOMIX_API void VEMOMIX_CALL vemomix_set_dispmode(int32_t mode) {
    control([&] { editor().set_display_mode(mode); });
}

VEMOMIX_API void VEMOMIX_CALL vemomix_set_mainwnd(int32_t hwnd) {
    control([&] { editor().host_window = hwnd; });
}

VEMOMIX_API void VEMOMIX_CALL vemomix_set_wintran(int32_t value) {
    control([&] { editor().transparency = value > 0 ? 1 : 0; });
}

VEMOMIX_API int32_t VEMOMIX_CALL vemomix_get_wintran(void) {
    int32_t on = -1;
    control([&] { on = editor().transparency == 1 ? 1 : -1; });
    return on;
}

VEMOMIX_API void VEMOMIX_CALL vemomix_close(void) {
    control([] {
        editor().close();
        engine_close(engine());
    });
}

}  // extern "C"
