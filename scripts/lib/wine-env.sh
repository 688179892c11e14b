# Safe Wine prefixes for running the Windows programs and their tests, and
# the choice of the Windows builds that this machine can run.
# Source this file; it defines functions and changes nothing by itself.
#
# A new Wine prefix maps Z: to the host's root folder and links the profile's
# Desktop, Documents and similar folders into $HOME. A faulty removal run in
# such a prefix could delete real files. The prefixes made here have no Z:
# (nor any drive but C: and the Recycle Bin's T:), real profile folders,
# and their own HOME and XDG_DATA_HOME.
#
#   rmlc_wine_probe32 [LOADER] 0 when the 32-bit Wine loader really starts
#                              here (some kernels refuse 32-bit programs)
#   rmlc_wine_builds           sets RMLC_WINE_BUILDS to the Windows builds
#                              this machine runs ("i686 x86_64", or
#                              "x86_64"), RMLC_WINE_NOTE to the start of
#                              the plain line that says why i686 cannot run,
#                              and RMLC_WINE_EMULATION to the line that says
#                              it runs under emulation (empty: natively)
#   rmlc_i386_emulate          lets 32-bit programs run under qemu-i386
#                              where the kernel refuses them (see below)
#   rmlc_wine_use BUILD        i686 or x86_64: the loader, wineserver and
#                              prefix architecture for that build's programs
#   rmlc_wine_template DIR     build a template prefix in DIR (about 8 s)
#   rmlc_wine_enter DIR TMPL   copy the template into DIR/prefix and export
#                              WINEPREFIX, HOME, XDG_DATA_HOME for it
#   rmlc_wine_leave            end the wineserver of the current prefix
#   rmlc_wine_session NAME [display]
#                              a run's scratch folder /tmp/rmlc-NAME.XXXXXX
#                              (RMLC_RUN_DIR) holding a fresh safe prefix,
#                              entered, and with "display" an Xvfb of its
#                              own; all of it ends on every exit path, or
#                              before that with rmlc_wine_session_end
#                              (RMLC_KEEP_RUN_DIR=1 keeps the folder)
#   rmlc_start_xvfb DIR        starts an Xvfb, exports DISPLAY and sets
#                              RMLC_XVFB_PID; DIR keeps its log
#   rmlc_stop_xvfb             stops that Xvfb (by its PID)
#
# Every Wine call goes through the loader that rmlc_wine_use chose: the
# functions `wine` and `wineserver` below stand in for the commands of those
# names, and WINELOADER and WINESERVER tell Wine itself. /usr/bin/wine is
# never used: it picks the 32-bit loader whenever that is installed, even
# where the kernel cannot run it.
#
# Where the kernel refuses 32-bit programs, a Debian 12 x86-64 machine run as
# root is made to run them under qemu's user-mode emulator: qemu-user from
# bookworm-backports (version 10; Debian 12's own 7.2 cannot start Wine), and
# a binfmt_misc entry "qemu-i386" for 32-bit x86 ELF files, with flag F. The
# entry lasts until the next reboot. RMLC_NO_EMULATION=1 leaves the machine
# as it is (file checks only), and nothing is ever registered where the
# kernel runs 32-bit programs itself.
#
# RMLC_WINE64_ONLY=1 makes the machine count as one that refuses 32-bit
# programs, so that the 64-bit path can be tried anywhere. RMLC_WINE32_LOADER
# and RMLC_WINE64_LOADER name other loaders, RMLC_BINFMT_DIR another
# binfmt_misc folder and RMLC_QEMU_I386 another emulator (the probe's tests
# use that).
#
# T: shows the prefix's Recycle Bin ($XDG_DATA_HOME/Trash) to Windows
# programs, so that tests can see what the shell deleted with the undo flag.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

RMLC_WINE32_LOADER=${RMLC_WINE32_LOADER:-/usr/lib/wine/wine}
RMLC_WINE64_LOADER=${RMLC_WINE64_LOADER:-/usr/lib/wine/wine64}
RMLC_BINFMT_DIR=${RMLC_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}
RMLC_QEMU_I386=${RMLC_QEMU_I386:-/usr/bin/qemu-i386}
RMLC_WINE_FONTS=/usr/share/wine/fonts

rmlc_wine_probe32() {
  local loader=${1:-$RMLC_WINE32_LOADER} version
  [ -x "$loader" ] || { RMLC_WINE_PROBE_ERROR="$loader is not installed"; return 1; }
  if version=$("$loader" --version 2>&1) && [[ $version == wine-* ]]; then
    RMLC_WINE_PROBE_ERROR=""
    return 0
  fi
  # The shell words a refused start "<script>: line N: <loader>: <why>";
  # keep only the why.
  version=$(head -n1 <<<"$version" | sed -E 's/^.*: line [0-9]+: //')
  RMLC_WINE_PROBE_ERROR="$loader does not start: ${version#"$loader: "}"
  return 1
}

rmlc_wine_builds() {
  local why
  RMLC_WINE_NOTE="" RMLC_WINE_EMULATION=""
  if [ "${RMLC_WINE64_ONLY:-0}" = 1 ]; then
    why="RMLC_WINE64_ONLY=1"
  elif rmlc_wine_probe32 && ! rmlc_i386_emulated; then
    RMLC_WINE_BUILDS="i686 x86_64"
    return 0
  elif [ "${RMLC_NO_EMULATION:-0}" = 1 ]; then
    why="${RMLC_WINE_PROBE_ERROR:-32-bit programs run only under emulation}; RMLC_NO_EMULATION=1"
  elif { rmlc_i386_emulated || rmlc_i386_emulate; } && rmlc_wine_probe32; then
    RMLC_WINE_BUILDS="i686 x86_64"
    RMLC_WINE_EMULATION="32-bit programs run under emulation ($("$RMLC_QEMU_I386" --version |
      sed -nE '1s/^(qemu-i386) version ([0-9]+[.][0-9]+).*/\1 \2/p'))"
    return 0
  else
    why="${RMLC_WINE_PROBE_ERROR:-the 32-bit loader does not start under emulation}${RMLC_EMULATION_ERROR:+; $RMLC_EMULATION_ERROR}"
  fi
  RMLC_WINE_BUILDS="x86_64"
  RMLC_WINE_NOTE="32-bit Windows programs are not run here ($why)"
}

# True when an enabled binfmt_misc entry hands 32-bit x86 programs to qemu.
rmlc_i386_emulated() {
  [ "$(head -n1 "$RMLC_BINFMT_DIR/qemu-i386" 2>/dev/null)" = enabled ]
}

# Writes a tiny static ELF program for MACHINE (3: i386) that exits with 0.
rmlc_elf_stub() {  # FILE MACHINE
  { printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf '\x02\x00'; printf "\\x$(printf %02x "$2")\\x00"
    printf '\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00'
    printf '\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
    printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
    printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
  } >"$1"
  chmod +x "$1"
}

# Sets up the emulation, or says in RMLC_EMULATION_ERROR why it cannot.
rmlc_i386_emulate() {
  RMLC_EMULATION_ERROR=""
  local stub release mirror signed
  release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
  if [ "$(uname -m)" != x86_64 ] || [ "$release" != bookworm ] || [ "$(id -u)" -ne 0 ]; then
    RMLC_EMULATION_ERROR="emulation is set up only on Debian 12 on x86-64, as root"
    return 1
  fi
  stub=$(mktemp /tmp/rmlc-i386.XXXXXX) && rmlc_elf_stub "$stub" 3
  if "$stub" 2>/dev/null; then
    rm -f -- "$stub"
    RMLC_EMULATION_ERROR="the kernel runs 32-bit programs itself: no emulation set up"
    return 1
  fi
  rm -f -- "$stub"
  if ! "$RMLC_QEMU_I386" --version 2>/dev/null | grep -qE 'version (1[0-9]|[2-9][0-9])[.]'; then
    # The backports suite from the mirror that the machine's own sources name.
    if [ ! -f /etc/apt/sources.list.d/rmlc-backports.list ]; then
      mirror=$(sed -nE 's/^URIs: *([^ ]+).*/\1/p; s/^deb +(\[[^]]*\] +)?([^ ]+) +bookworm +.*/\2/p' \
                 /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null |
               grep -v -- '-security' | head -n1)
      signed=$(sed -nE 's/^Signed-By: *(.+)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1)
      [ -n "$mirror" ] || { RMLC_EMULATION_ERROR="no Debian mirror in the apt sources"; return 1; }
      echo "deb ${signed:+[signed-by=$signed] }$mirror bookworm-backports main" \
        >/etc/apt/sources.list.d/rmlc-backports.list
    fi
    printf '\n== installing qemu-user from bookworm-backports (32-bit programs under emulation)\n'
    DEBIAN_FRONTEND=noninteractive apt-get update -q &&
      DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        -t bookworm-backports qemu-user ||
      { RMLC_EMULATION_ERROR="qemu-user from bookworm-backports could not be installed"; return 1; }
  fi
  if [ ! -e "$RMLC_BINFMT_DIR/register" ] &&
     ! mount -t binfmt_misc binfmt_misc "$RMLC_BINFMT_DIR" 2>/dev/null; then
    RMLC_EMULATION_ERROR="binfmt_misc cannot be mounted here"
    return 1
  fi
  # The magic and mask of 32-bit x86 ELF executables and shared objects, as
  # qemu's own registration script writes them; the kernel decodes the \x.
  [ -e "$RMLC_BINFMT_DIR/qemu-i386" ] ||
    printf ':qemu-i386:M::%s:%s:%s:F\n' \
      '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
      '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' \
      "$RMLC_QEMU_I386" >"$RMLC_BINFMT_DIR/register" 2>/dev/null
  rmlc_i386_emulated || { RMLC_EMULATION_ERROR="the qemu-i386 entry cannot be registered"; return 1; }
}

rmlc_wine_use() {
  case "$1" in
    i686) RMLC_WINE_LOADER=$RMLC_WINE32_LOADER; export WINEARCH=win32 ;;
    x86_64) RMLC_WINE_LOADER=$RMLC_WINE64_LOADER; export WINEARCH=win64 ;;
    *) echo "rmlc_wine_use: unknown build $1" >&2; return 1 ;;
  esac
  RMLC_WINE_BUILD=$1
  # One server serves both architectures; the 64-bit one runs on every
  # x86-64 kernel, the 32-bit one only where 32-bit programs run.
  RMLC_WINESERVER=/usr/lib/wine/wineserver64
  [ -x "$RMLC_WINESERVER" ] || RMLC_WINESERVER=/usr/lib/wine/wineserver32
  export WINELOADER=$RMLC_WINE_LOADER WINESERVER=$RMLC_WINESERVER
}

wine() { "${RMLC_WINE_LOADER:?rmlc_wine_use first}" "$@"; }
wineserver() { "${RMLC_WINESERVER:?rmlc_wine_use first}" "$@"; }

# Removes every drive mapping but C:, and turns the profile folder links into
# real, empty folders.
rmlc_wine_make_safe() {
  local prefix=$1 entry
  for entry in "$prefix"/dosdevices/*; do
    case "$(basename "$entry")" in
      c:) ;;
      ?:|?::) rm -f -- "$entry" ;;
    esac
  done
  while IFS= read -r -d '' entry; do
    rm -f -- "$entry"
    mkdir -p -- "$entry"
  done < <(find "$prefix/drive_c/users" -maxdepth 2 -type l -print0)
}

# Checks that a prefix is safe to run removals in; prints what is not.
rmlc_wine_check_safe() {
  local prefix=$1 bad=0 entry
  for entry in "$prefix"/dosdevices/*; do
    case "$(basename "$entry")" in
      c:|com[0-9]*|lpt[0-9]*) ;;  # C: itself, and serial and parallel devices
      t:) [ "$(readlink -- "$entry")" = "$XDG_DATA_HOME/Trash" ] ||
            { echo "unexpected T: mapping: $(readlink -- "$entry")" >&2; bad=1; } ;;
      *) echo "unexpected drive mapping: $entry" >&2; bad=1 ;;
    esac
  done
  if [ -n "$(find "$prefix/drive_c/users" -maxdepth 2 -type l)" ]; then
    echo "profile folder links left in $prefix" >&2
    bad=1
  fi
  return $bad
}

rmlc_wine_template() {
  local dir=$1
  rm -rf -- "$dir"
  mkdir -p -- "$dir/home" "$dir/xdg-data"
  (
    export WINEPREFIX="$dir/prefix" HOME="$dir/home" XDG_DATA_HOME="$dir/xdg-data"
    wine wineboot -u >"$dir/wineboot.log" 2>&1 || exit 1
    wineserver -w
    rmlc_wine_make_safe "$WINEPREFIX"
    # The tests make and remove folder links with the host's ln and rm, and
    # lock folders with its chattr, which Wine runs as Unix programs (Wine's
    # own link calls make none).
    mkdir -p -- "$WINEPREFIX/drive_c/rmlc-tools"
    cp -- "$(command -v ln)" "$(command -v rm)" "$(command -v chattr)" "$WINEPREFIX/drive_c/rmlc-tools/"
    # Wine's own fonts (Debian's fonts-wine) in the prefix's Fonts folder:
    # Debian's Wine looks for them beside its data folder, not where the
    # package puts them, and without Marlett the caption buttons are drawn
    # as letters ("r" for the close box).
    [ ! -d "$RMLC_WINE_FONTS" ] || cp -- "$RMLC_WINE_FONTS"/* "$WINEPREFIX/drive_c/windows/Fonts/"
  ) || { echo "wineboot failed; see $dir/wineboot.log" >&2; return 1; }
}

rmlc_wine_enter() {
  local dir=$1 template=$2
  rm -rf -- "$dir"
  mkdir -p -- "$dir/home" "$dir/xdg-data/Trash/files" "$dir/xdg-data/Trash/info"
  cp -a -- "$template/prefix" "$dir/prefix" || return 1
  export WINEPREFIX="$dir/prefix" HOME="$dir/home" XDG_DATA_HOME="$dir/xdg-data"
  # Wine recycles only when both Trash folders exist; otherwise it deletes.
  ln -s -- "$XDG_DATA_HOME/Trash" "$WINEPREFIX/dosdevices/t:"
  rmlc_wine_check_safe "$WINEPREFIX"
}

rmlc_wine_leave() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null
  return 0
}

rmlc_wine_session() {
  local name=$1 display=${2:-}
  RMLC_RUN_DIR=$(mktemp -d "/tmp/rmlc-$name.XXXXXX") || return 1
  trap rmlc_wine_session_end EXIT
  printf '\n== making a safe %s Wine prefix in %s (%s)\n' "$WINEARCH" "$RMLC_RUN_DIR/wine" "$RMLC_WINE_LOADER"
  rmlc_wine_template "$RMLC_RUN_DIR/template" &&
    rmlc_wine_enter "$RMLC_RUN_DIR/wine" "$RMLC_RUN_DIR/template" || return 1
  rm -rf -- "$RMLC_RUN_DIR/template"
  [ -z "$display" ] || rmlc_start_xvfb "$RMLC_RUN_DIR"
}

rmlc_wine_session_end() {
  [ -n "${RMLC_RUN_DIR:-}" ] || return 0
  rmlc_wine_leave
  rmlc_stop_xvfb
  if [ "${RMLC_KEEP_RUN_DIR:-0}" != 1 ]; then
    chmod -R u+w -- "$RMLC_RUN_DIR" 2>/dev/null  # read-only files that a run made
    rm -rf -- "$RMLC_RUN_DIR"
  fi
  RMLC_RUN_DIR=""
  return 0
}

RMLC_XVFB_PID=""
rmlc_start_xvfb() {
  local dir=$1 display_file=$1/display waited=0
  rm -f -- "$display_file"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$display_file" \
    >"$dir/xvfb.log" 2>&1 &
  RMLC_XVFB_PID=$!
  while [ ! -s "$display_file" ]; do
    kill -0 "$RMLC_XVFB_PID" 2>/dev/null || { cat "$dir/xvfb.log" >&2; return 1; }
    [ $waited -lt 100 ] || { echo "Xvfb did not start" >&2; return 1; }
    sleep 0.1
    waited=$((waited + 1))
  done
  export DISPLAY=":$(head -n1 "$display_file")"
}

rmlc_stop_xvfb() {
  if [ -n "$RMLC_XVFB_PID" ]; then
    kill "$RMLC_XVFB_PID" 2>/dev/null && wait "$RMLC_XVFB_PID" 2>/dev/null
    RMLC_XVFB_PID=""
  fi
  return 0
}
