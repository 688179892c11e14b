#!/usr/bin/env bash
# The choice of the Windows builds that a machine runs, in its three states
# (native, emulated, refused): the probe of the 32-bit Wine loader, the
# emulation's set-up, the forced 64-bit mode, and the loader that every Wine
# call then goes through. Loaders and set-ups that fail and that work are
# made here; nothing of Wine itself is started but the probe of the real
# loader, and nothing is installed or registered.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d /tmp/rmlc-probe-test.XXXXXX)
trap 'rm -rf -- "$work"' EXIT
passed=0 failed=0

check() {  # NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED %s: expected "%s", got "%s"\n' "$1" "$2" "$3"
  fi
}

script() {  # FILE BODY
  printf '#!/bin/sh\n%s\n' "$2" >"$1"
  chmod +x "$1"
}

# Each case in a fresh shell that sources the library, as the scripts do,
# with a binfmt_misc folder of its own and an emulation set-up that stands
# in for the real one (which installs and registers): by default it fails.
setup_fails='rmlc_i386_emulate() { touch "$RMLC_BINFMT_DIR/tried"; RMLC_EMULATION_ERROR="no binfmt_misc"; return 1; }'
probe() {  # LOADER [ENV...]: prints "rc|builds|note|emulation|set-up tried"
  local loader=$1
  shift
  rm -rf -- "$work/binfmt.case" && cp -r -- "$work/binfmt" "$work/binfmt.case"
  env "$@" RMLC_WINE32_LOADER="$loader" RMLC_BINFMT_DIR="$work/binfmt.case" \
    RMLC_QEMU_I386="$work/qemu" SETUP="${SETUP:-$setup_fails}" bash -c '
    source "$0/scripts/lib/wine-env.sh"
    eval "$SETUP"
    rmlc_wine_probe32; rc=$?
    rmlc_wine_builds
    printf "%s|%s|%s|%s|%s" "$rc" "$RMLC_WINE_BUILDS" "$RMLC_WINE_NOTE" "$RMLC_WINE_EMULATION" \
      "$([ -e "$RMLC_BINFMT_DIR/tried" ] && echo tried)"' "$root"
}
field() { cut -d'|' -f"$2" <<<"$1"; }
mkdir -p "$work/binfmt"
script "$work/qemu" 'echo "qemu-i386 version 10.0.2 (Debian 1:10.0.2+ds-1~bpo12+1)"'

# Refused: loaders that fail, and an emulation that cannot be set up.
source "$root/scripts/lib/wine-env.sh"
rmlc_elf_stub "$work/foreign" 40  # an ARM program: never runs on x86-64
script "$work/refusing" 'echo "Exec format error" >&2; exit 126'
script "$work/silent" 'exit 0'
for loader in foreign refusing silent missing; do
  out=$(probe "$work/$loader")
  check "$loader loader: probe, builds, set-up tried" "1|x86_64|tried" \
    "$(field "$out" 1)|$(field "$out" 2)|$(field "$out" 5)"
  note=$(field "$out" 3)
  check "$loader loader: the note says why" 1 \
    "$([[ $note == "32-bit Windows programs are not run here ($work/$loader "*"; no binfmt_misc)" ]] && echo 1 || echo 0)"
done
note=$(field "$(probe "$work/foreign")" 3)
check "the foreign loader's error is the kernel's" 1 \
  "$([[ $note == *"rror"* ]] && echo 1 || echo 0)"
check "the note is free of the shell's own words" 1 \
  "$([[ $note != *": line "* && $note != *"start: $work/foreign"* ]] && echo 1 || echo 0)"
out=$(probe "$work/refusing" RMLC_NO_EMULATION=1)
check "no emulation wanted: not tried, and said" "x86_64|" "$(field "$out" 2)|$(field "$out" 5)"
check "no emulation wanted: the note names it" 1 \
  "$([[ $(field "$out" 3) == *"; RMLC_NO_EMULATION=1)" ]] && echo 1 || echo 0)"

# Emulated: the loader starts once the set-up has registered qemu-i386, and
# a later run finds the entry that an earlier one made.
script "$work/emulated" '[ "$(head -n1 "$RMLC_BINFMT_DIR/qemu-i386")" = enabled ] && echo wine-8.0'
registers='rmlc_i386_emulate() { echo enabled >"$RMLC_BINFMT_DIR/qemu-i386"; }'
out=$(SETUP=$registers probe "$work/emulated")
check "emulated: builds, no note, the emulator named" \
  "i686 x86_64||32-bit programs run under emulation (qemu-i386 10.0)" \
  "$(field "$out" 2)|$(field "$out" 3)|$(field "$out" 4)"
echo enabled >"$work/binfmt/qemu-i386"
out=$(probe "$work/emulated")
check "emulated by an earlier run: builds, set-up not tried" "i686 x86_64|" \
  "$(field "$out" 2)|$(field "$out" 5)"
check "emulated, no emulation wanted: the twin only" "x86_64" \
  "$(field "$(probe "$work/emulated" RMLC_NO_EMULATION=1)" 2)"
rm -- "$work/binfmt/qemu-i386"

# Native: a loader that works, and the forced 64-bit mode on the same machine.
script "$work/working" 'echo wine-8.0'
out=$(probe "$work/working")
check "native: probe, builds, no note, no emulation, set-up not tried" "0|i686 x86_64|||" "$out"
out=$(probe "$work/working" RMLC_WINE64_ONLY=1)
check "forced 64-bit mode: builds" x86_64 "$(field "$out" 2)"
check "forced 64-bit mode: the note names it" 1 \
  "$([[ $(field "$out" 3) == *"RMLC_WINE64_ONLY=1"* ]] && echo 1 || echo 0)"

# Every Wine call goes through the chosen loader, and Wine is told so too.
script "$work/loader64" 'echo "64 $WINEARCH $WINELOADER $*"'
script "$work/loader32" 'echo "32 $WINEARCH $WINELOADER $*"'
for build in i686 x86_64; do
  out=$(RMLC_WINE32_LOADER="$work/loader32" RMLC_WINE64_LOADER="$work/loader64" PATH=/nonexistent:$PATH \
        bash -c 'source "$0/scripts/lib/wine-env.sh"; rmlc_wine_use "$1" && wine reg add X' "$root" "$build")
  expected="32 win32 $work/loader32 reg add X"
  [ $build = x86_64 ] && expected="64 win64 $work/loader64 reg add X"
  check "wine after rmlc_wine_use $build" "$expected" "$out"
done
out=$(bash -c 'source "$0/scripts/lib/wine-env.sh"; rmlc_wine_use arm' "$root" 2>&1)
check "an unknown build is refused" 1 "$([[ $out == *"unknown build arm"* ]] && echo 1 || echo 0)"

# The real 32-bit loader, where installed: the probe agrees with the kernel.
if [ -x /usr/lib/wine/wine ]; then
  rmlc_elf_stub "$work/i386" 3
  kernel=1
  "$work/i386" 2>/dev/null && kernel=0
  out=$(probe /usr/lib/wine/wine)
  check "the real loader's probe agrees with the kernel" "$kernel" "$(field "$out" 1)"
  echo "this machine runs 32-bit programs: $([ "$kernel" = 0 ] && echo yes || echo no)"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
