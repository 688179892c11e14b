# Installing the tools and building the flavours: what scripts/test,
# scripts/demo and scripts/bench share. Source this file; it defines
# functions and changes nothing by itself.
#
#   rmlc_log TEXT...                   a heading in the output
#   rmlc_install_missing               installs the missing Debian packages
#                                      (as root; adds the i386 architecture)
#   rmlc_configure_and_build DIR [cmake options...] [-- targets...]
#                                      configures DIR once, then builds it

RMLC_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
RMLC_JOBS=2

rmlc_log() { printf '\n== %s\n' "$*"; }

rmlc_install_missing() {
  # wine32 is installed even where the kernel cannot run it (harmless there),
  # so that a machine that can run 32-bit programs does; wine64 runs the
  # x86_64 twin everywhere.
  local packages=(cmake make g++ googletest libgtest-dev g++-mingw-w64-i686
                  g++-mingw-w64-x86-64 wine wine32:i386 wine64 fonts-wine xvfb imagemagick clang locales)
  local missing=() package
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    rmlc_log "adding the i386 architecture"
    dpkg --add-architecture i386
  fi
  for package in "${packages[@]}"; do
    dpkg -s "$package" 2>/dev/null | grep -q '^Status: install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  rmlc_log "installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages and not root: ${missing[*]}" >&2
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync fails one index for a while: try again, then go
  # on with the lists that did arrive; the install below says if they lack
  # something.
  local try
  for try in 1 2 3; do
    apt-get update -q && break
    [ "$try" -lt 3 ] && { echo "apt-get update failed (try $try of 3); trying again" >&2; sleep 10; }
  done
  apt-get install -y -q "${missing[@]}" && return 0
  # With one architecture's update index missing, the two architectures are
  # offered different versions of the same library, which cannot be
  # installed side by side: take both from the release itself.
  local release
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$release" ] || return 1
  echo "installing again from $release alone, the same versions for both architectures" >&2
  apt-get install -y -q -t "$release" "${missing[@]}"
}

# Options before "--" go to CMake when it configures; names after it are the
# targets to build (all of them when none are given).
rmlc_configure_and_build() {
  local dir=$1 options=() targets=()
  shift
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  # Once configured, the build itself re-runs CMake when a CMake file changed.
  if [ ! -f "$dir/CMakeCache.txt" ] || [ ! -f "$dir/Makefile" ]; then
    rmlc_log "configuring $(basename "$dir")"
    cmake -S "$RMLC_ROOT" -B "$dir" "${options[@]}" || return 1
  elif ! rmlc_cache_has "$dir" "${options[@]}"; then
    rmlc_log "configuring $(basename "$dir") anew: its options changed"
    cmake "$dir" "${options[@]}" || return 1
  elif [ ${#targets[@]} -gt 0 ]; then
    # A target added since the last build is known only after CMake re-runs,
    # which building named targets alone does not do.
    cmake "$dir" >/dev/null || return 1
  fi
  rmlc_log "building $(basename "$dir")${targets[*]:+: ${targets[*]}}"
  cmake --build "$dir" -j"$RMLC_JOBS" ${targets[@]:+--target "${targets[@]}"} || return 1
}

# True when every -DNAME=VALUE option already stands in DIR's CMake cache.
rmlc_cache_has() {
  local dir=$1 option name value cached
  shift
  for option in "$@"; do
    [[ $option == -D*=* ]] || continue
    name=${option#-D} value=${name#*=} name=${name%%=*} name=${name%%:*}
    cached=$(sed -n "s/^$name:[A-Z]*=//p" "$dir/CMakeCache.txt")
    [ "$cached" = "$value" ] || return 1
  done
  return 0
}
