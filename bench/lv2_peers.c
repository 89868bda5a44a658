/* lv2_peers ROUNDS URI...: a minimal lilv host that runs each plugin, every control at its default,
 * on the same minute of music-like sound at 44100 Hz in 1024-frame blocks and prints the CPU
 * seconds its run() calls took (the least of ROUNDS runs), one line per plugin:
 * "seconds audio-inputs URI".
 * The sound: a chord of harmonic-rich tones with a little hiss, near -6 dBFS, a phase apart per
 * channel.  A plugin gets as many channels as it has audio inputs (at most two are fed; further
 * inputs, such as side chains, get silence). */
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { kRate = 44100, kBlock = 1024, kSeconds = 60, kFrames = kRate * kSeconds, kMaxPorts = 512 };

static char* g_uris[4096];
static unsigned g_nuris;
static LV2_URID map_uri(LV2_URID_Map_Handle h, const char* uri) {
    (void)h;
    for (unsigned i = 0; i < g_nuris; ++i)
        if (strcmp(g_uris[i], uri) == 0) return i + 1;
    g_uris[g_nuris] = strdup(uri);
    return ++g_nuris;
}
static const char* unmap_uri(LV2_URID_Unmap_Handle h, LV2_URID u) {
    (void)h;
    return u >= 1 && u <= g_nuris ? g_uris[u - 1] : NULL;
}

static float g_signal[2][kFrames];
static void make_signal(void) {
    static const double notes[] = {110.0, 164.81, 220.0, 277.18};
    unsigned x = 12345;
    for (int i = 0; i < kFrames; ++i)
        for (int c = 0; c < 2; ++c) {
            double v = 0;
            for (int n = 0; n < 4; ++n)
                for (int h = 1; h <= 6; ++h) v += sin(6.283185307179586 * notes[n] * h * i / kRate + c * 0.7 * h) / h;
            x = x * 1664525u + 1013904223u;
            g_signal[c][i] = (float)((v * 1500.0 + ((int)(x >> 16) - 32768) / 100.0) / 32768.0);
        }
}

static double cpu_seconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return (double)t.tv_sec + t.tv_nsec * 1e-9;
}

/* One minute through the plugin: the CPU seconds of its run() calls, or -1. */
static int g_inputs;
static double run_once(LilvWorld* world, const LilvPlugin* plugin, const LV2_Feature* const* features) {
    LilvNode* audio = lilv_new_uri(world, LILV_URI_AUDIO_PORT);
    LilvNode* control = lilv_new_uri(world, LILV_URI_CONTROL_PORT);
    LilvNode* input = lilv_new_uri(world, LILV_URI_INPUT_PORT);
    LilvNode* atom = lilv_new_uri(world, LV2_ATOM__AtomPort);
    LilvInstance* inst = lilv_plugin_instantiate(plugin, kRate, features);
    double spent = -1;
    if (inst != NULL) {
        const uint32_t n = lilv_plugin_get_num_ports(plugin);
        static float values[kMaxPorts], mins[kMaxPorts], defs[kMaxPorts], buffers[kMaxPorts][kBlock];
        static union { LV2_Atom_Sequence seq; uint8_t bytes[8192]; } atoms[kMaxPorts];
        lilv_plugin_get_port_ranges_float(plugin, mins, NULL, defs);
        int in_count = 0, atom_out[kMaxPorts] = {0};
        float* ins[kMaxPorts];
        for (uint32_t p = 0; p < n && p < kMaxPorts; ++p) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, p);
            const int is_in = lilv_port_is_a(plugin, port, input);
            if (lilv_port_is_a(plugin, port, control)) {
                values[p] = !isnan(defs[p]) ? defs[p] : !isnan(mins[p]) ? mins[p] : 0.0f;
                lilv_instance_connect_port(inst, p, &values[p]);
            } else if (lilv_port_is_a(plugin, port, atom)) {
                LV2_Atom_Sequence* seq = &atoms[p].seq;
                seq->atom.type = map_uri(NULL, is_in ? LV2_ATOM__Sequence : LV2_ATOM__Chunk);
                seq->atom.size = is_in ? sizeof(LV2_Atom_Sequence_Body) : sizeof atoms[p] - sizeof(LV2_Atom);
                seq->body.unit = seq->body.pad = 0;
                atom_out[p] = !is_in;
                lilv_instance_connect_port(inst, p, seq);
            } else {
                memset(buffers[p], 0, sizeof buffers[p]);
                lilv_instance_connect_port(inst, p, buffers[p]);
                if (is_in && lilv_port_is_a(plugin, port, audio)) ins[in_count++] = buffers[p];
            }
        }
        g_inputs = in_count;
        lilv_instance_activate(inst);
        spent = 0;
        for (int at = 0; at < kFrames; at += kBlock) {
            const int frames = kFrames - at < kBlock ? kFrames - at : kBlock;
            for (int c = 0; c < in_count && c < 2; ++c) memcpy(ins[c], g_signal[c] + at, sizeof(float) * frames);
            for (uint32_t p = 0; p < n && p < kMaxPorts; ++p) /* each block, room again for what the plugin writes */
                if (atom_out[p]) atoms[p].seq.atom.size = sizeof atoms[p] - sizeof(LV2_Atom);
            const double t0 = cpu_seconds();
            lilv_instance_run(inst, (uint32_t)frames);
            spent += cpu_seconds() - t0;
        }
        lilv_instance_deactivate(inst);
        lilv_instance_free(inst);
    }
    lilv_node_free(audio), lilv_node_free(control), lilv_node_free(input), lilv_node_free(atom);
    return spent;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s ROUNDS URI...\n", argv[0]);
        return 2;
    }
    const int rounds = atoi(argv[1]);
    make_signal();
    LilvWorld* world = lilv_world_new();
    lilv_world_load_all(world);
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world);

    LV2_URID_Map map = {NULL, map_uri};
    LV2_URID_Unmap unmap = {NULL, unmap_uri};
    int32_t block = kBlock;
    float rate = kRate;
    LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, map_uri(NULL, LV2_BUF_SIZE__minBlockLength), sizeof block, map_uri(NULL, LV2_ATOM__Int), &block},
        {LV2_OPTIONS_INSTANCE, 0, map_uri(NULL, LV2_BUF_SIZE__maxBlockLength), sizeof block, map_uri(NULL, LV2_ATOM__Int), &block},
        {LV2_OPTIONS_INSTANCE, 0, map_uri(NULL, LV2_BUF_SIZE__nominalBlockLength), sizeof block, map_uri(NULL, LV2_ATOM__Int), &block},
        {LV2_OPTIONS_INSTANCE, 0, map_uri(NULL, "http://lv2plug.in/ns/ext/parameters#sampleRate"), sizeof rate, map_uri(NULL, LV2_ATOM__Float), &rate},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, NULL}};
    const LV2_Feature f_map = {LV2_URID__map, &map}, f_unmap = {LV2_URID__unmap, &unmap},
                      f_opts = {LV2_OPTIONS__options, options}, f_bounded = {LV2_BUF_SIZE__boundedBlockLength, NULL};
    const LV2_Feature* features[] = {&f_map, &f_unmap, &f_opts, &f_bounded, NULL};

    int status = 0;
    for (int a = 2; a < argc; ++a) {
        LilvNode* uri = lilv_new_uri(world, argv[a]);
        const LilvPlugin* plugin = lilv_plugins_get_by_uri(plugins, uri);
        double best = -1;
        for (int r = 0; plugin != NULL && r < rounds; ++r) {
            const double s = run_once(world, plugin, features);
            if (s >= 0 && (best < 0 || s < best)) best = s;
        }
        if (best < 0) {
            fprintf(stderr, "lv2_peers: %s: %s\n", argv[a], plugin ? "does not instantiate" : "not found");
            status = 1;
        }
        printf("%.6f %d %s\n", best, g_inputs, argv[a]);
        fflush(stdout);
        lilv_node_free(uri);
    }
    lilv_world_free(world);
    return status;
}
