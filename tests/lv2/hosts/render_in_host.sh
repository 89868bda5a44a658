#!/usr/bin/env bash
# render_in_host.sh HOST VEMOMIX LV2_DIR WORKDIR
# Renders one mono and one stereo file through the bundle in a real LV2 host (gstreamer, ecasound or
# ffmpeg) and compares each with `vemomix render --buffer N` of the same settings, sample for sample.
# Each host is made to run the plugin in blocks of a size of our choosing, since several effects
# (the amplitude modulation and the compressor here) sound different at other block sizes.
set -euo pipefail
host=$1 vemomix=$2 lv2_dir=$3 work=$4
export LV2_PATH=$lv2_dir
mkdir -p "$work" && cd "$work"

fail() { echo "FAIL ($host): $*" >&2; exit 1; }
if [[ ${VEMO_SANITIZED:-0} == 1 ]]; then
    echo "SKIPPED ($host): a plugin built with a sanitizer does not load into $host; the release build runs this"
    exit 77
fi
need() { command -v "$1" >/dev/null || fail "$1 is not installed; scripts/setup installs it (package $2)"; }
need sox sox

# A second of 16-bit sound the effects audibly change: a rising sine under pink noise.
sox -R -n -r 44100 -c 2 -b 16 in2.wav synth 1 sine 220:3000 pinknoise gain -6
sox -R in2.wav in1.wav remix 1

# Each case: channels, effect, layout, host block, then FIELD=VALUE per control port in port order,
# or FIELD=RECORD=PORT where the record counts in other units than the port.
uri() { echo "https://vemosoundmix.org/lv2/$1"; }
render_case() {  # CHANNELS EFFECT LAYOUT BLOCK FIELD=VALUE...
    local ch=$1 fx=$2 layout=$3 block=$4; shift 4
    local in=in$ch.wav out=host$ch.raw ref=ref$ch
    local sets=() ports=() f rest
    for f in "$@"; do
        rest=${f#*=}
        sets+=(--set "${f%%=*}=${rest%%=*}")
        ports+=("${f%%=*}=${rest#*=}")
    done
    set -- "${ports[@]}"
    "$vemomix" render --enable "$fx" "${sets[@]}" --buffer "$block" "$in" "$ref.wav" >/dev/null
    sox "$ref.wav" -t f32 "$ref.raw"
    sox "$in" -t f32 "in$ch.raw"
    cmp -s "in$ch.raw" "$ref.raw" && fail "$fx leaves the test signal as it is; the comparison would prove nothing"
    local prefix=${1%%_*}
    case $host in
    gstreamer)
        need gst-launch-1.0 gstreamer1.0-tools
        # GStreamer's properties: the symbol with '-' for '_'; its boolean switch defaults to off.
        local props=("$prefix-enabled=true") element
        for f in "$@"; do props+=("${f//_/-}"); done
        element=vemosoundmix-org-lv2-$fx-$layout
        gst-launch-1.0 -q filesrc location="$in" ! wavparse ! audioconvert \
            ! audiobuffersplit output-buffer-duration="$block/44100" ! "$element" "${props[@]}" \
            ! audioconvert ! audio/x-raw,format=F32LE ! filesink location="$out" ||
            fail "gst-launch-1.0 cannot run $element (gstreamer1.0-plugins-bad's lv2 element)"
        ;;
    ecasound)
        need ecasound ecasound
        # ecasound takes every control input in port order, the switch first.
        local values=1
        for f in "$@"; do values+=",${f#*=}"; done
        ecasound -q -b:"$block" -i "$in" -f:f32_le,"$ch",44100 -o "$out" -elv2:"$(uri "$fx/$layout")","$values" ||
            fail "ecasound cannot run $(uri "$fx/$layout")"
        ;;
    ffmpeg)
        need ffmpeg ffmpeg
        local controls
        controls=$(IFS='|'; echo "$*")
        ffmpeg -v error -y -i "$in" \
            -af "asetnsamples=n=$block:p=0,lv2=p=$(uri "$fx/$layout" | sed 's/:/\\\\:/'):c=$controls" -f f32le "$out" ||
            fail "ffmpeg cannot run $(uri "$fx/$layout")"
        ;;
    *) fail "unknown host" ;;
    esac
    cmp "$out" "$ref.raw" >&2 || fail "$fx/$layout differs from vemomix render --buffer $block (byte offset / 4 = sample)"
    echo "$host: $fx/$layout in blocks of $block equals vemomix render --buffer $block"
}

# ecasound's block is its buffer size; GStreamer's and ffmpeg's are fixed by a splitter in front.
case $host in
gstreamer) block=441 ;;
ecasound) block=512 ;;
ffmpeg) block=1024 ;;
esac
render_case 1 am mono "$block" am_depth_pct=60 am_period_ms=50 am_waveform=1
render_case 2 compressor stereo "$block" comp_threshold_db=-30 comp_slope_x10=3=0.3 comp_attack_ms=5 comp_release_ms=200

if [[ $host == gstreamer ]]; then
    # GStreamer names its elements after the URI: all 32 plugins must come out as distinct elements.
    n=$(gst-inspect-1.0 lv2 | grep -c '^ *vemosoundmix-org-lv2-[a-z]*-\(mono\|stereo\):')
    [[ $n == 32 ]] || fail "GStreamer offers $n of the 32 plugins as elements"
    # A Liquidsoap built with lilv names its operators lv2.<name> after its own normalisation: what
    # stands in parentheses or brackets goes, so does every '.' and '+', runs of spaces, '/' and '-'
    # become '_', '"' goes, and the whole is lowercased.
    n=$(lv2ls -n | grep '^vemosoundmix ' |
        sed -E 's/ *\([^)]*\)| *\[[^]]*\]//g; s/\.+|\++//g; s/ +$//; s/( +|\/+|-+)/_/g; s/"//g' |
        tr 'A-Z' 'a-z' | sort -u | wc -l)
    [[ $n == 32 ]] || fail "the 32 plugin names give $n distinct Liquidsoap operator names"
fi
