#!/usr/bin/env bash
# The choice of the Windows builds that a machine runs: the probe of the
# 32-bit Wine loader, the forced 64-bit mode, and the loader that every Wine
# call then goes through. Loaders that fail and loaders that work are made
# here; nothing of Wine itself is started but the probe of the real loader.
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

# An ELF header for another machine (or for i386): the kernel refuses to
# start the first with "Exec format error", as a kernel without 32-bit
# support refuses the 32-bit loader. The i386 one exits with code 0 where
# 32-bit programs run.
elf32() {  # FILE MACHINE
  local machine=$2
  { printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf '\x02\x00'; printf "\\x$(printf %02x "$machine")\\x00"
    printf '\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00'
    printf '\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
    printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
    printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
  } >"$1"
  chmod +x "$1"
}

script() {  # FILE BODY
  printf '#!/bin/sh\n%s\n' "$2" >"$1"
  chmod +x "$1"
}

# Each case in a fresh shell that sources the library, as the scripts do.
probe() {  # LOADER [ENV...]: prints "rc|builds|note"
  local loader=$1
  shift
  env "$@" RMLC_WINE32_LOADER="$loader" bash -c '
    source "$0/scripts/lib/wine-env.sh"
    rmlc_wine_probe32; rc=$?
    rmlc_wine_builds
    printf "%s|%s|%s" "$rc" "$RMLC_WINE_BUILDS" "$RMLC_WINE_NOTE"' "$root"
}
field() { cut -d'|' -f"$2" <<<"$1"; }

# Loaders that fail.
elf32 "$work/foreign" 40  # an ARM program: never runs on x86-64
script "$work/refusing" 'echo "Exec format error" >&2; exit 126'
script "$work/silent" 'exit 0'
for loader in foreign refusing silent missing; do
  out=$(probe "$work/$loader")
  check "$loader loader: probe" 1 "$(field "$out" 1)"
  check "$loader loader: builds" x86_64 "$(field "$out" 2)"
  note=$(field "$out" 3)
  check "$loader loader: the note says why" 1 \
    "$([[ $note == "32-bit Windows programs are not run here ($work/$loader "*")" ]] && echo 1 || echo 0)"
done
note=$(field "$(probe "$work/foreign")" 3)
check "the foreign loader's error is the kernel's" 1 \
  "$([[ $note == *"rror"* ]] && echo 1 || echo 0)"
check "the note is free of the shell's own words" 1 \
  "$([[ $note != *": line "* && $note != *"start: $work/foreign"* ]] && echo 1 || echo 0)"

# A loader that works, and the forced 64-bit mode on the same machine.
script "$work/working" 'echo wine-8.0'
out=$(probe "$work/working")
check "working loader: probe" 0 "$(field "$out" 1)"
check "working loader: builds" "i686 x86_64" "$(field "$out" 2)"
check "working loader: no note" "" "$(field "$out" 3)"
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
  elf32 "$work/i386" 3
  kernel=1
  "$work/i386" 2>/dev/null && kernel=0
  out=$(probe /usr/lib/wine/wine)
  check "the real loader's probe agrees with the kernel" "$kernel" "$(field "$out" 1)"
  echo "this machine runs 32-bit programs: $([ "$kernel" = 0 ] && echo yes || echo no)"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
