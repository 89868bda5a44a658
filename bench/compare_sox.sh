#!/usr/bin/env bash
# Renders the same 60-second stereo 44100 Hz file through this library (the vemomix host) and
# through sox with its closest effect, one effect at a time and then the whole chain, and
# prints the times side by side with their ratio (library / sox; below 1 = library faster).
# "net" ratios first subtract each tool's own time to read and write the file untouched.
#
#   bench/compare_sox.sh [path/to/vemomix]
#   VEMO_COMPARE_SECONDS (60) and VEMO_COMPARE_RUNS (3, best run counts) change the workload.
set -euo pipefail
cd "$(dirname "$0")/.."

vemomix=${1:-build/release/tools/vemomix/vemomix}
seconds=${VEMO_COMPARE_SECONDS:-60}
runs=${VEMO_COMPARE_RUNS:-3}
command -v sox >/dev/null || { echo "compare_sox: sox is not installed" >&2; exit 1; }
[[ -x "$vemomix" ]] || { echo "compare_sox: no vemomix host at $vemomix (build the release preset)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
in=$work/in.wav
# Programme-like material: pink noise under a few steady tones, about -10 dBFS.
sox -n -r 44100 -c 2 -b 16 "$in" synth "$seconds" pinknoise synth "$seconds" sine mix 220 \
  synth "$seconds" sine mix 1320 vol 0.3

# Best wall time of $runs runs, in seconds.
best_of() {
  local best="" t0 t1 t
  for ((i = 0; i < runs; i++)); do
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "compare_sox: failed: $*" >&2; exit 1; }
    t1=$(date +%s%N)
    t=$(( (t1 - t0) / 1000 ))
    if [[ -z "$best" || $t -lt $best ]]; then best=$t; fi
  done
  awk -v us="$best" 'BEGIN { printf "%.3f", us / 1e6 }'
}

lib() { best_of "$vemomix" render "$in" "$work/lib.wav" "$@"; }
sx() { best_of sox "$in" "$work/sox.wav" "$@"; }

# The library's names, and the sox effect that comes closest ("" where sox has none).
names=(eq compressor pitch distortion overdrive am echo drift phaser denoise chorus reverb wah bass invert vibrato)
declare -A soxfx=(
  [eq]="equalizer 31 1q 3 equalizer 62 1q 3 equalizer 125 1q 3 equalizer 250 1q 3 equalizer 500 1q 3 equalizer 1000 1q 3 equalizer 2000 1q 3 equalizer 4000 1q 3 equalizer 8000 1q 3 equalizer 16000 1q 3"
  [compressor]="compand 0.001,0.01 -90,-90,-20,-20,0,-10"
  [pitch]="pitch 100"
  [distortion]="overdrive 30 10"
  [overdrive]="overdrive 20 20"
  [am]="tremolo 1 20"
  [echo]="echo 0.8 0.9 600 0.5"
  [drift]="flanger"
  [phaser]="phaser 0.8 0.74 3 0.7 0.5 -t"
  [denoise]="compand 0.001,0.5 -90,-90,-41,-90,-40,-40,0,0"
  [chorus]="chorus 0.7 0.9 55 0.4 0.25 2 -t"
  [reverb]="reverb 50"
  [wah]=""
  [bass]="bass 12 200"
  [invert]="vol -1"
  [vibrato]=""
)

base_lib=$(lib)
base_sox=$(sx)
printf "%s s of 44100 Hz stereo, best of %s; library %s\n" "$seconds" "$runs" "$vemomix"
printf "%-11s %9s %9s %8s %8s  %s\n" effect "lib (s)" "sox (s)" ratio "net" "sox effect"
printf "%-11s %9s %9s %8s %8s  %s\n" "(copy)" "$base_lib" "$base_sox" "-" "-" "(read and write only)"

row() {
  local name=$1 tl=$2 ts=$3 fx=$4
  if [[ -z "$ts" ]]; then
    printf "%-11s %9s %9s %8s %8s  %s\n" "$name" "$tl" "-" "-" "-" "(no sox equivalent)"
  else
    awk -v n="$name" -v a="$tl" -v b="$ts" -v ba="$base_lib" -v bs="$base_sox" -v f="$fx" 'BEGIN {
      net = (b - bs > 0.001 && a - ba > 0.001) ? sprintf("%.2f", (a - ba) / (b - bs)) : "-";
      printf "%-11s %9.3f %9.3f %8.2f %8s  %s\n", n, a, b, a / b, net, f }'
  fi
}

all_sox=()
for n in "${names[@]}"; do
  tl=$(lib --enable "$n")
  ts=""
  if [[ -n "${soxfx[$n]}" ]]; then
    # shellcheck disable=SC2206
    args=(${soxfx[$n]})
    ts=$(sx "${args[@]}")
    all_sox+=("${args[@]}")
  fi
  row "$n" "$tl" "$ts" "${soxfx[$n]}"
done

all=$(IFS=,; echo "${names[*]}")
row "chain" "$(lib --enable "$all")" "$(sx "${all_sox[@]}")" "all of the above in one sox run"
# The copy times again: on a busy machine the first ones may have caught a slow moment.
printf "%-11s %9s %9s %8s %8s  %s\n" "(copy)" "$(lib)" "$(sx)" "-" "-" "(read and write only, again)"
