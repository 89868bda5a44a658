# Sourced by the run-wine scripts: the Wine environment, a prefix made on first use with the
# templates' Chinese fonts mapped, running a host under Xvfb and counting its checks.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
winpath() { echo "Z:${1//\//\\}"; }
passed=0
failed=0
# Seconds a host may run: 32-bit Wine may go through qemu-i386, many times slower.
host_timeout=300

# pe_arch EXE: win32 for an i386 program, win64 otherwise.
pe_arch() {
  local at
  at=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [[ $(od -An -tx2 -j$((at + 4)) -N2 "$1" | tr -d ' ') == 014c ]] && echo win32 || echo win64
}

# Why 32-bit Wine cannot run here; nothing when it can.
wine32_missing() {
  [[ -x /usr/lib/wine/wine ]] || { echo "wine32:i386 is not installed"; return; }
  QEMU_RESERVED_VA=0xf7000000 timeout 120 /usr/lib/wine/wine --version >/dev/null 2>&1 ||
    echo "an i386 program does not start (no 32-bit support in the kernel, no working qemu-i386 in binfmt_misc)"
}
# True when i386 programs go through qemu-i386 (binfmt_misc comes before the kernel's own loader).
i386_via_qemu() {
  grep -qs '^interpreter .*qemu-i386' /proc/sys/fs/binfmt_misc/qemu-i386 &&
    [[ $(head -1 /proc/sys/fs/binfmt_misc/qemu-i386) == enabled ]]
}
# end_wine PREFIX: ends the Wine processes of a prefix (those a killed run left too) before it goes.
end_wine() { [[ -d $1 ]] && WINEPREFIX=$1 timeout 60 $wineserver -k >/dev/null 2>&1; true; }

# wine_env PREFIX [win32|win64]: exports the environment for that prefix and loader.
wine_env() {
  export WINEPREFIX=$1 WINEARCH=${2:-win64} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [[ $WINEARCH == win32 ]]; then
    wine=/usr/lib/wine/wine boot_timeout=1800 host_timeout=1800
    # qemu-i386, where it runs these, leaves Wine no room for its shared user data page otherwise.
    export QEMU_RESERVED_VA=0xf7000000
  else
    # A 64-bit prefix also sets up its 32-bit half, which no host here uses: where i386 programs
    # go through qemu-i386 that takes many minutes, and a size qemu refuses ends them at once.
    export QEMU_RESERVED_VA=none
  fi
}
boot_timeout=600

# wine_run TIMEOUT COMMAND: runs the command on a screen of its own, then waits for Wine to
# finish setting up and for the wineserver to write the registry and end (wine-settle).
wine_settle=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-settle
wine_run() { timeout "$1" xvfb-run -a sh -c "$2; WINESERVER=$wineserver '$wine_settle'"; }

# wine_setup PREFIX WORKDIR [win32|win64] [fonts-later]: exports the environment for that loader, boots the
# prefix unless a finished boot left its mark there (a prefix without one, from a killed run, is
# made anew), and maps 宋体 and 楷体 of the templates to WenQuanYi Micro Hei (fonts-wqy-microhei);
# regedit reads UTF-16. False when the prefix could not be made.
wine_setup() {
  wine_env "$1" "${3:-win64}"
  mkdir -p "$(dirname "$1")" "$2"
  if [[ ! -f $1/booted ]]; then
    rm -rf "$1"
    wine_run $boot_timeout "$wine wineboot -i" >/dev/null 2>&1
    [[ -f $1/drive_c/windows/system32/kernel32.dll ]] || return 1
    touch "$1/booted"
  fi
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in 宋体 SimSun 楷体 KaiTi; do printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"; done
  } | iconv -f UTF-8 -t UTF-16 >"$2/fonts.reg"
  # Unless the caller imports it in its own session (every Wine session starts with minutes of
  # setting up through qemu-i386).
  [[ ${4:-} == fonts-later ]] || wine_run $boot_timeout "$wine reg import '$(winpath "$2/fonts.reg")'" >/dev/null 2>&1
}

# wine_host LABEL SCREEN LOG ERRLOG COMMANDS: runs the commands on a virtual screen (WxHxD) and
# adds the counts of the host's "LABEL: N passed, M failed" line.
wine_host() {
  local p f
  timeout $host_timeout xvfb-run -a -s "-screen 0 $2" sh -c "$5; $wineserver -k" 2>"$4" | tr -d '\r' | tee "$3"
  read -r p f < <(sed -nE "s/^$1: ([0-9]+) passed, ([0-9]+) failed\$/\\1 \\2/p" "$3" | tail -1)
  if [[ -z ${p:-} ]]; then
    failed=$((failed + 1))
    echo "FAIL the $1 host ended without a result (see $4)"
  else
    passed=$((passed + p)) failed=$((failed + f))
  fi
}

# verdict OK TEXT: one more check.
verdict() {
  if [[ $1 == 0 ]]; then passed=$((passed + 1)); echo "ok   $2"; else failed=$((failed + 1)); echo "FAIL $2"; fi
}

# is_png FILE: the file starts with the PNG signature.
is_png() { [[ $(head -c 8 "$1" 2>/dev/null | od -An -tx1 | tr -d ' ') == 89504e470d0a1a0a ]]; }

# wine_total LABEL: the last line, and the exit status.
wine_total() {
  echo "$1: $passed passed, $failed failed"
  ((failed == 0))
}
