# Safe Wine prefixes for running the Windows programs and their tests.
# Source this file; it defines functions and changes nothing by itself.
#
# A new Wine prefix maps Z: to the host's root folder and links the profile's
# Desktop, Documents and similar folders into $HOME. A faulty removal run in
# such a prefix could delete real files. The prefixes made here have no Z:
# (nor any drive but C: and the Recycle Bin's T:), real profile folders,
# and their own HOME and XDG_DATA_HOME.
#
#   rmlc_wine_template DIR     build a template prefix in DIR (about 8 s)
#   rmlc_wine_enter DIR TMPL   copy the template into DIR/prefix and export
#                              WINEPREFIX, HOME, XDG_DATA_HOME for it
#   rmlc_wine_leave            end the wineserver of the current prefix
#
# T: shows the prefix's Recycle Bin ($XDG_DATA_HOME/Trash) to Windows
# programs, so that tests can see what the shell deleted with the undo flag.

export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

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
    # The tests make and remove folder links with the host's ln and rm,
    # which Wine runs as Unix programs (Wine's own link calls make none).
    mkdir -p -- "$WINEPREFIX/drive_c/rmlc-tools"
    cp -- "$(command -v ln)" "$(command -v rm)" "$WINEPREFIX/drive_c/rmlc-tools/"
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
