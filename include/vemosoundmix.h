/* vemosoundmix: in-place PCM effects chain with a skinned editor window.
 *
 * A host loads the library, calls vemomix_begin once, vemomix_init for its
 * output format (16-bit signed PCM, 1 or 2 interleaved channels), optionally
 * vemomix_set with a record it stored earlier, and then vemomix_change with
 * every buffer it is about to play.  vemomix_close ends the session.
 */
#ifndef VEMOSOUNDMIX_H
#define VEMOSOUNDMIX_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define VEMOMIX_CALL __cdecl
#else
#define VEMOMIX_CALL
#endif

#if defined(_WIN32)
#if defined(VEMOMIX_BUILDING)
#define VEMOMIX_API __declspec(dllexport)
#else
#define VEMOMIX_API __declspec(dllimport)
#endif
#elif defined(VEMOMIX_BUILDING)
#define VEMOMIX_API __attribute__((visibility("default")))
#else
#define VEMOMIX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The complete setup as one 748-byte record, little-endian, every 4-byte
 * field on a multiple of 4.  vemomix_set reads no reserved byte.  vemomix_get
 * writes none of them except bytes 197..199 (reserved_197): the equaliser's
 * 32nd band slot is written as a 32-bit level at offset 196, after which byte
 * 196 (eq_preset_builtin) is set to 0, so bytes 197..199 hold the upper bytes
 * of that level.  vemomix_get writes chain_order only as far as the editor's
 * chain has rows: clear the record before calling it.  A record a host builds
 * itself must hold 0 in every chain_order byte after the last row. */
typedef struct EffectSettings {
    uint8_t eq_enabled;               /*   0 */
    uint8_t reserved_1[3];            /*   1 */
    char eq_preset_name[64];          /*   4 */
    int32_t eq_band_count;            /*  68 */
    int32_t eq_band_level[31];        /*  72 */
    uint8_t eq_preset_builtin;        /* 196 */
    uint8_t reserved_197[3];          /* 197 */
    uint8_t eq_extra_filter;          /* 200 */
    uint8_t reserved_201[3];          /* 201 */
    int32_t eq_preamp_pos;            /* 204 */
    uint8_t echo_enabled;             /* 208 */
    uint8_t reserved_209[3];          /* 209 */
    float echo_delay_s;               /* 212 */
    float echo_feedback;              /* 216 */
    uint8_t pitch_enabled;            /* 220 */
    uint8_t reserved_221[3];          /* 221 */
    float pitch_octaves;              /* 224 */
    int32_t pitch_frame_size;         /* 228 */
    int32_t pitch_oversampling;       /* 232 */
    uint8_t drift_enabled;            /* 236 */
    uint8_t reserved_237[3];          /* 237 */
    int32_t drift_feedback;           /* 240 */
    int32_t drift_depth;              /* 244 */
    int32_t drift_wet;                /* 248 */
    int32_t drift_dry;                /* 252 */
    int32_t drift_speed;              /* 256 */
    uint8_t chorus_enabled;           /* 260 */
    uint8_t reserved_261[3];          /* 261 */
    int32_t chorus_depth;             /* 264 */
    int32_t chorus_rate;              /* 268 */
    int32_t chorus_wet;               /* 272 */
    int32_t chorus_dry;               /* 276 */
    int32_t chorus_feedback;          /* 280 */
    uint8_t phaser_enabled;           /* 284 */
    uint8_t reserved_285[3];          /* 285 */
    float phaser_low_hz;              /* 288 */
    float phaser_high_hz;             /* 292 */
    float phaser_rate;                /* 296 */
    float phaser_feedback;            /* 300 */
    float phaser_mix;                 /* 304 */
    uint8_t am_enabled;               /* 308 */
    uint8_t reserved_309[3];          /* 309 */
    int32_t am_level_db_copy;         /* 312 */
    int32_t am_depth_pct;             /* 316 */
    int32_t am_period_ms;             /* 320 */
    int32_t am_level_db;              /* 324 */
    int32_t am_waveform;              /* 328 */
    uint8_t comp_enabled;             /* 332 */
    uint8_t reserved_333[3];          /* 333 */
    int32_t comp_threshold_db;        /* 336 */
    int32_t comp_slope_x10;           /* 340 */
    int32_t comp_attack_ms;           /* 344 */
    int32_t comp_release_ms;          /* 348 */
    uint8_t reverb_enabled;           /* 352 */
    uint8_t reserved_353[3];          /* 353 */
    int32_t reverb_tap_count;         /* 356 */
    int32_t reverb_room_m;            /* 360 */
    int32_t reverb_offset_m;          /* 364 */
    int32_t reverb_decay_m;           /* 368 */
    int32_t reverb_feedback_m;        /* 372 */
    int32_t reverb_feedback_db;       /* 376 */
    int32_t reverb_wet_db;            /* 380 */
    uint8_t odrive_enabled;           /* 384 */
    uint8_t reserved_385[3];          /* 385 */
    int32_t odrive_drive_ohms;        /* 388 */
    int32_t odrive_lowpass_hz;        /* 392 */
    int32_t odrive_lowpass_on;        /* 396 */
    uint8_t dist_enabled;             /* 400 */
    uint8_t reserved_401[3];          /* 401 */
    int32_t dist_max_step;            /* 404 */
    int32_t dist_level;               /* 408 */
    int32_t dist_drive;               /* 412 */
    int32_t dist_low_cut_hz;          /* 416 */
    int32_t dist_tone_hz;             /* 420 */
    uint8_t denoise_enabled;          /* 424 */
    uint8_t reserved_425[3];          /* 425 */
    int32_t denoise_open_level;       /* 428 */
    int32_t denoise_hold;             /* 432 */
    int32_t denoise_release;          /* 436 */
    int32_t denoise_attack;           /* 440 */
    int32_t denoise_close_level;      /* 444 */
    uint8_t wah_enabled;              /* 448 */
    uint8_t reserved_449[3];          /* 449 */
    int32_t wah_rate;                 /* 452 */
    int32_t wah_offset;               /* 456 */
    int32_t wah_depth;                /* 460 */
    int32_t wah_resonance;            /* 464 */
    uint8_t bass_enabled;             /* 468 */
    uint8_t reserved_469[3];          /* 469 */
    int32_t bass_freq_hz;             /* 472 */
    int32_t bass_gain_db;             /* 476 */
    uint8_t vibrato_enabled;          /* 480 */
    uint8_t reserved_481[3];          /* 481 */
    int32_t vibrato_period;           /* 484 */
    int32_t vibrato_depth;            /* 488 */
    uint8_t invert_enabled;           /* 492 */
    uint8_t chain_order[255];         /* 493: one EffectType per chain row, 0 = no row */
} EffectSettings;

#ifdef __cplusplus
#define VEMOMIX_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define VEMOMIX_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif
#define VEMOMIX_CHECK_OFFSET(field, off) \
    VEMOMIX_STATIC_ASSERT(offsetof(EffectSettings, field) == (off), "EffectSettings." #field " must sit at " #off)

VEMOMIX_STATIC_ASSERT(sizeof(EffectSettings) == 748, "EffectSettings must be 748 bytes");
VEMOMIX_CHECK_OFFSET(eq_enabled, 0);
VEMOMIX_CHECK_OFFSET(eq_preset_name, 4);
VEMOMIX_CHECK_OFFSET(eq_band_count, 68);
VEMOMIX_CHECK_OFFSET(eq_band_level, 72);
VEMOMIX_CHECK_OFFSET(eq_preset_builtin, 196);
VEMOMIX_CHECK_OFFSET(eq_extra_filter, 200);
VEMOMIX_CHECK_OFFSET(eq_preamp_pos, 204);
VEMOMIX_CHECK_OFFSET(echo_enabled, 208);
VEMOMIX_CHECK_OFFSET(echo_delay_s, 212);
VEMOMIX_CHECK_OFFSET(echo_feedback, 216);
VEMOMIX_CHECK_OFFSET(pitch_enabled, 220);
VEMOMIX_CHECK_OFFSET(pitch_octaves, 224);
VEMOMIX_CHECK_OFFSET(pitch_frame_size, 228);
VEMOMIX_CHECK_OFFSET(pitch_oversampling, 232);
VEMOMIX_CHECK_OFFSET(drift_enabled, 236);
VEMOMIX_CHECK_OFFSET(drift_feedback, 240);
VEMOMIX_CHECK_OFFSET(drift_depth, 244);
VEMOMIX_CHECK_OFFSET(drift_wet, 248);
VEMOMIX_CHECK_OFFSET(drift_dry, 252);
VEMOMIX_CHECK_OFFSET(drift_speed, 256);
VEMOMIX_CHECK_OFFSET(chorus_enabled, 260);
VEMOMIX_CHECK_OFFSET(chorus_depth, 264);
VEMOMIX_CHECK_OFFSET(chorus_rate, 268);
VEMOMIX_CHECK_OFFSET(chorus_wet, 272);
VEMOMIX_CHECK_OFFSET(chorus_dry, 276);
VEMOMIX_CHECK_OFFSET(chorus_feedback, 280);
VEMOMIX_CHECK_OFFSET(phaser_enabled, 284);
VEMOMIX_CHECK_OFFSET(phaser_low_hz, 288);
VEMOMIX_CHECK_OFFSET(phaser_high_hz, 292);
VEMOMIX_CHECK_OFFSET(phaser_rate, 296);
VEMOMIX_CHECK_OFFSET(phaser_feedback, 300);
VEMOMIX_CHECK_OFFSET(phaser_mix, 304);
VEMOMIX_CHECK_OFFSET(am_enabled, 308);
VEMOMIX_CHECK_OFFSET(am_level_db_copy, 312);
VEMOMIX_CHECK_OFFSET(am_depth_pct, 316);
VEMOMIX_CHECK_OFFSET(am_period_ms, 320);
VEMOMIX_CHECK_OFFSET(am_level_db, 324);
VEMOMIX_CHECK_OFFSET(am_waveform, 328);
VEMOMIX_CHECK_OFFSET(comp_enabled, 332);
VEMOMIX_CHECK_OFFSET(comp_threshold_db, 336);
VEMOMIX_CHECK_OFFSET(comp_slope_x10, 340);
VEMOMIX_CHECK_OFFSET(comp_attack_ms, 344);
VEMOMIX_CHECK_OFFSET(comp_release_ms, 348);
VEMOMIX_CHECK_OFFSET(reverb_enabled, 352);
VEMOMIX_CHECK_OFFSET(reverb_tap_count, 356);
VEMOMIX_CHECK_OFFSET(reverb_room_m, 360);
VEMOMIX_CHECK_OFFSET(reverb_offset_m, 364);
VEMOMIX_CHECK_OFFSET(reverb_decay_m, 368);
VEMOMIX_CHECK_OFFSET(reverb_feedback_m, 372);
VEMOMIX_CHECK_OFFSET(reverb_feedback_db, 376);
VEMOMIX_CHECK_OFFSET(reverb_wet_db, 380);
VEMOMIX_CHECK_OFFSET(odrive_enabled, 384);
VEMOMIX_CHECK_OFFSET(odrive_drive_ohms, 388);
VEMOMIX_CHECK_OFFSET(odrive_lowpass_hz, 392);
VEMOMIX_CHECK_OFFSET(odrive_lowpass_on, 396);
VEMOMIX_CHECK_OFFSET(dist_enabled, 400);
VEMOMIX_CHECK_OFFSET(dist_max_step, 404);
VEMOMIX_CHECK_OFFSET(dist_level, 408);
VEMOMIX_CHECK_OFFSET(dist_drive, 412);
VEMOMIX_CHECK_OFFSET(dist_low_cut_hz, 416);
VEMOMIX_CHECK_OFFSET(dist_tone_hz, 420);
VEMOMIX_CHECK_OFFSET(denoise_enabled, 424);
VEMOMIX_CHECK_OFFSET(denoise_open_level, 428);
VEMOMIX_CHECK_OFFSET(denoise_hold, 432);
VEMOMIX_CHECK_OFFSET(denoise_release, 436);
VEMOMIX_CHECK_OFFSET(denoise_attack, 440);
VEMOMIX_CHECK_OFFSET(denoise_close_level, 444);
VEMOMIX_CHECK_OFFSET(wah_enabled, 448);
VEMOMIX_CHECK_OFFSET(wah_rate, 452);
VEMOMIX_CHECK_OFFSET(wah_offset, 456);
VEMOMIX_CHECK_OFFSET(wah_depth, 460);
VEMOMIX_CHECK_OFFSET(wah_resonance, 464);
VEMOMIX_CHECK_OFFSET(bass_enabled, 468);
VEMOMIX_CHECK_OFFSET(bass_freq_hz, 472);
VEMOMIX_CHECK_OFFSET(bass_gain_db, 476);
VEMOMIX_CHECK_OFFSET(vibrato_enabled, 480);
VEMOMIX_CHECK_OFFSET(vibrato_period, 484);
VEMOMIX_CHECK_OFFSET(vibrato_depth, 488);
VEMOMIX_CHECK_OFFSET(invert_enabled, 492);
VEMOMIX_CHECK_OFFSET(chain_order, 493);

/* Host notification sent to the window given to vemomix_set_mainwnd. */
#define VEMOMIX_HOST_MESSAGE 8201
#define VEMOMIX_HOST_WPARAM 9999

/* Threads.  vemomix_change runs on the host's audio thread.  Every other
 * export may be called from any other thread; they are serialised against
 * each other.  The editor's windows belong to the thread that called
 * vemomix_begin, and the user's actions in them run there: a host that shows
 * the editor calls the other exports on that thread too.
 *
 * vemomix_change and the rebuilds share one engine lock, taken in turn:
 * vemomix_set, vemomix_datarefresh and the editor's actions prepare what they
 * rebuild (cleared delay lines, tables) before taking it and hold it only to
 * swap the results in, without allocating; the audio thread waits at most for
 * the swaps already under way, tens of microseconds, and a control thread at
 * most for one buffer, even when the host processes faster than real time.  vemomix_init and
 * vemomix_close allocate and free the format's buffers under the lock (about
 * 10 to 20 ms): call them while no audio is being processed. */
VEMOMIX_API void VEMOMIX_CALL vemomix_begin(void);
VEMOMIX_API void VEMOMIX_CALL vemomix_init(int32_t rate, int32_t channels, int32_t show);
VEMOMIX_API int32_t VEMOMIX_CALL vemomix_change(int16_t *samples, int32_t bytes);
VEMOMIX_API void VEMOMIX_CALL vemomix_set(EffectSettings settings);
VEMOMIX_API void VEMOMIX_CALL vemomix_get(EffectSettings *settings);
VEMOMIX_API void VEMOMIX_CALL vemomix_setiir(uint8_t on);
VEMOMIX_API void VEMOMIX_CALL vemomix_setecho(uint8_t on);
VEMOMIX_API void VEMOMIX_CALL vemomix_setlevel(void);
VEMOMIX_API void VEMOMIX_CALL vemomix_setdisp(uint8_t show);
VEMOMIX_API void VEMOMIX_CALL vemomix_datarefresh(void);
VEMOMIX_API uint8_t VEMOMIX_CALL vemomix_get_dispstatus(void);
VEMOMIX_API void VEMOMIX_CALL vemomix_set_dispmode(int32_t mode);
VEMOMIX_API void VEMOMIX_CALL vemomix_set_mainwnd(int32_t hwnd);
VEMOMIX_API void VEMOMIX_CALL vemomix_set_wintran(int32_t value);
VEMOMIX_API int32_t VEMOMIX_CALL vemomix_get_wintran(void);
VEMOMIX_API void VEMOMIX_CALL vemomix_close(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* VEMOSOUNDMIX_H */
