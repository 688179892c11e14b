#!/usr/bin/env bash
# The same sources give the same release: scripts/release runs twice, on two
# copies of the source tree in two scratch folders of different names, one
# after the other, under another time zone, locale and umask, and the two
# SHA256SUMS (the zip and RemoveMLC.exe) must be the same.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d /tmp/rmlc-release-test.XXXXXX)
trap 'rm -rf -- "$work"' EXIT
# The copies are no git checkouts: both take the zip's date from here.
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

# release NAME [VAR=VALUE...]: the working tree copied to NAME/source (its
# build output, dist/ and git data left out) and released into NAME/dist.
release() {
  local name=$1 folder=$work/$1
  shift
  mkdir -p -- "$folder/source"
  tar -C "$root" --exclude=./build --exclude=./dist --exclude=./out --exclude=./.git -cf - . |
    tar -C "$folder/source" -xf -
  if ! env "$@" RMLC_BUILD_ROOT="$folder/build" RMLC_DIST="$folder/dist" \
       bash "$folder/source/scripts/release" >"$folder/log" 2>&1; then
    tail -n 40 "$folder/log"
    echo "FAILED: the release in $name"
    exit 1
  fi
}

release first TZ=UTC0 LC_ALL=C
(umask 077 && release second-folder TZ=NZST-12 LC_ALL=C.UTF-8)
if ! diff "$work/first/dist/SHA256SUMS" "$work/second-folder/dist/SHA256SUMS"; then
  cmp -l "$work"/first/build/release/app/RemoveMLC.exe \
         "$work"/second-folder/build/release/app/RemoveMLC.exe | head -n 20
  echo "FAILED: two builds of the same sources differ"
  exit 1
fi
echo "the same release twice:"
cat "$work/first/dist/SHA256SUMS"
