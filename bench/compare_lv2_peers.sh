#!/usr/bin/env bash
# compare_lv2_peers.sh [BUILD_DIR] [ROUNDS]: each of our plugins beside its nearest analogue among
# Debian's LV2 plugins, every one at its defaults, on the same minute of music-like sound at
# 44100 Hz in 1024-frame blocks, through one small lilv host (bench/lv2_peers.c).  Prints the CPU
# seconds of each plugin's run() calls (least of ROUNDS runs, default 3) and ours ÷ theirs.
# Installs the peers and liblilv-dev when they are missing (they are for this bench only).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/release}" && pwd)
rounds=${2:-3}

peers=(calf-plugins lsp-plugins-lv2 mda-lv2 fomp swh-lv2 guitarix-lv2 liblilv-dev)
missing=()
for p in "${peers[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    SUDO=""
    [[ $(id -u) -ne 0 ]] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

host=$build/bench/lv2_peers
cc -O2 -Wall -Wextra -o "$host" "$here/lv2_peers.c" $(pkg-config --cflags --libs lilv-0) -lm

# Our effect and layout, and the nearest peer (same kind of processing, same channel count).
pairs=(
    "eq/mono http://lsp-plug.in/plugins/lv2/graph_equalizer_x16_mono"
    "compressor/stereo http://lsp-plug.in/plugins/lv2/compressor_stereo"
    "pitch/mono http://plugin.org.uk/swh-plugins/amPitchshift"   # pitchScaleHQ: Debian 12 ships it unloadable
    "distortion/stereo http://calf.sourceforge.net/plugins/Saturator"
    "overdrive/mono http://guitarix.sourceforge.net/plugins/gxts9#ts9sim"
    "am/stereo http://calf.sourceforge.net/plugins/Pulsator"
    "echo/stereo http://drobilla.net/plugins/mda/Delay"
    "drift/mono http://plugin.org.uk/swh-plugins/flanger"
    "phaser/stereo http://calf.sourceforge.net/plugins/Phaser"
    "denoise/stereo http://lsp-plug.in/plugins/lv2/gate_stereo"
    "chorus/mono http://drobilla.net/plugins/fomp/cs_chorus1"
    "reverb/stereo http://calf.sourceforge.net/plugins/Reverb"
    "wah/mono http://drobilla.net/plugins/fomp/autowah"
    "bass/stereo http://calf.sourceforge.net/plugins/BassEnhancer"
    "invert/mono http://plugin.org.uk/swh-plugins/inv"
    "vibrato/mono http://guitarix.sourceforge.net/plugins/gxtubevibrato#tubevibrato"
)
uris=()
for pair in "${pairs[@]}"; do uris+=("https://vemosoundmix.org/lv2/${pair%% *}" "${pair#* }"); done
export LV2_PATH=$build/lv2:/usr/lib/lv2
mapfile -t lines < <("$host" "$rounds" "${uris[@]}")

printf '| Ours | CPU s | Peer | Peer inputs | CPU s | Ours ÷ peer |\n|---|---:|---|---:|---:|---:|\n'
for ((i = 0; i < ${#lines[@]}; i += 2)); do
    read -r ours_s ours_in ours_uri <<<"${lines[i]}"
    read -r peer_s peer_in peer_uri <<<"${lines[i + 1]}"
    name=$(lv2info "$peer_uri" 2>/dev/null | sed -n 's/^\tName: *//p' | head -1)
    ratio=$(awk -v a="$ours_s" -v b="$peer_s" 'BEGIN { printf(b > 0 ? "%.2f" : "-", a / b) }')
    printf '| %s | %.3f | %s | %s | %.3f | %s |\n' "${ours_uri#https://vemosoundmix.org/lv2/}" "$ours_s" \
        "${name:-$peer_uri}" "$peer_in" "$peer_s" "$ratio"
done
