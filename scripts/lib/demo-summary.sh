# The demo's journey and summary, read from the Wine prefix's own files.
# Source this file; it defines functions and changes nothing by itself.
#
#   demo_snapshot DRIVE_C DIR          records the files on C: and a copy of
#                                      the seeded student data in DIR
#   demo_journey MODE DRIVER EXE SHOTS
#                                      runs the driver's journey MODE, with
#                                      a screenshot of each screen in SHOTS
#   demo_summary DRIVE_C DIR TRASH     what went, where, and the backup
#                                      compared with the student data; false
#                                      when the backup is missing or differs

# The screens in the order a run shows them, and the virtual desktop's size.
DEMO_SCREENS=(main-window patience-prompt progress-window final-report)
DEMO_DESKTOP=640x480

# Where mlc_seed puts the installation's student data, under drive_c.
DEMO_STUDENTS="Program Files/Marlo Coach/Students"
DEMO_BACKUP_NAME="Marlo Coach Saved Student Data"

# Every path on C: except Wine's own folders, one per line, sorted.
demo_list_files() {
  (cd "$1" && find . -mindepth 1 \( -path ./windows -o -name Temp \) -prune -o -print) |
    sed 's|^\./||' | LC_ALL=C sort
}

# "C:\a\b" for "a/b" relative to drive_c.
demo_windows_path() {
  local path=${1//\//\\}
  printf 'C:\\%s' "$path"
}

demo_snapshot() {
  local drive_c=$1 dir=$2
  mkdir -p -- "$dir"
  demo_list_files "$drive_c" >"$dir/files"
  cp -a -- "$drive_c/$DEMO_STUDENTS" "$dir/students"
}

# A screenshot of the program's windows, the rectangle LEFT TOP RIGHT BOTTOM
# of the virtual desktop (all of the desktop when it is empty), numbered by
# the screen's place in a run.
demo_screenshot() {
  local shots=$1 name=$2 left=${3:-0} top=${4:-0} right=${5:-0} bottom=${6:-0}
  local number=0 screen width=${DEMO_DESKTOP%x*} height=${DEMO_DESKTOP#*x}
  for screen in "${DEMO_SCREENS[@]}"; do
    number=$((number + 1))
    [ "$screen" = "$name" ] && break
  done
  [ "$left" -ge 0 ] || left=0
  [ "$top" -ge 0 ] || top=0
  [ "$right" -le "$width" ] || right=$width
  [ "$bottom" -le "$height" ] || bottom=$height
  if [ "$right" -le "$left" ] || [ "$bottom" -le "$top" ]; then
    left=0 top=0 right=$width bottom=$height
  fi
  import -window root -display "$DISPLAY" \
    -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    "$shots/$number-$name.png" || echo "  (no screenshot of $name)"
}

demo_journey() {
  local mode=$1 driver=$2 exe=$3 shots=$4 line report=() screen=() to from pid rc=0
  coproc DEMO_DRIVER { wine "$driver" "$mode" "$exe"; }
  pid=$DEMO_DRIVER_PID
  # Own copies of the pipes: bash drops the coprocess's when it ends.
  exec {from}<&"${DEMO_DRIVER[0]}" {to}>&"${DEMO_DRIVER[1]}"
  while IFS= read -r line <&"$from"; do
    line=${line%$'\r'}
    case "$line" in
      "SCREEN "*) read -r -a screen <<<"${line#SCREEN }"  # the name and the rectangle
                  demo_screenshot "$shots" "${screen[@]}"; echo ok >&"$to" ;;
      "REPORT "*) report+=("${line#REPORT }") ;;
      *) echo "  $line" ;;
    esac
  done
  wait "$pid" || rc=$?
  exec {from}<&- {to}>&-
  [ ${#report[@]} -eq 0 ] || printf '  final report: "%s"\n' "${report[0]}"
  [ ${#report[@]} -le 1 ] || printf '    %s\n' "${report[@]:1}"
  [ "$rc" = 0 ] || echo "  the $mode journey failed (driver exit code $rc)" >&2
  return "$rc"
}

# Files and bytes of the regular files under a folder: "N files, M bytes".
demo_measure() {
  find "$1" -type f -printf '%s\n' | awk '{ n++; b += $1 } END { printf "%d files, %d bytes", n, b }'
}

# The paths that disappeared, by their topmost vanished folder, grouped under
# the folder that held them.
demo_removed() {
  local before=$1 after=$2
  LC_ALL=C comm -23 "$before" "$after" |
    awk 'top == "" || index($0, top "/") != 1 { top = $0; print }' |
    awk -F/ '{ name = $NF; sub("/?[^/]*$", ""); count[$0]++;
               names[$0] = names[$0] (count[$0] > 1 ? ", " : "") name }
             END { for (f in count) print f "|" count[f] "|" names[f] }' |
    LC_ALL=C sort -t '|' -k1,1 |
    while IFS='|' read -r folder count names; do
      printf '    %s (%s): %s\n' "$(demo_windows_path "$folder")" "$count" "$names"
    done
}

demo_summary() {
  local drive_c=$1 dir=$2 trash=$3 info path items backup ok=0
  local dosdevices_c=${drive_c%/drive_c}/dosdevices/c:
  demo_list_files "$drive_c" >"$dir/files-after"
  echo "  gone from C: (deleted or recycled; by the folder that held them, with their number):"
  demo_removed "$dir/files" "$dir/files-after"

  items=$(find "$trash/files" -mindepth 1 -maxdepth 1 | wc -l)
  echo "  Recycle Bin: $items items"
  for info in "$trash"/info/*.trashinfo; do
    [ -e "$info" ] || continue
    path=$(sed -n 's/^Path=//p' "$info")
    path=$(printf '%b' "${path//%/\\x}")
    items=$(find "$trash/files/$(basename "$info" .trashinfo)" -mindepth 1 | wc -l)
    path=${path#"$dosdevices_c"/}
    printf '    %s (%s inside)\n' "$(demo_windows_path "${path#"$drive_c"/}")" "$items"
  done

  backup=$(find "$drive_c/users" -mindepth 3 -maxdepth 3 -path "*/Desktop/$DEMO_BACKUP_NAME" | head -n1)
  echo "  seeded student data: $(demo_measure "$dir/students")"
  if [ -z "$backup" ]; then
    echo "  backup on the desktop: NONE"
    ok=1
  else
    echo "  backup on the desktop: $(demo_windows_path "${backup#"$drive_c"/}")"
    echo "    $(demo_measure "$backup")"
    if diff -r -q -- "$dir/students" "$backup" >"$dir/backup.diff" 2>&1; then
      echo "    identical to the seeded student data (every file compared by content)"
    else
      echo "    DIFFERS from the seeded student data:"
      sed 's/^/      /' "$dir/backup.diff" | head -n 20
      ok=1
    fi
  fi
  return $ok
}
