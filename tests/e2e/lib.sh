# Sourced by the end-to-end scripts: each runs the built torva.scr from a program directory of its
# own under the caller's Wine session and looks at the screen, the sound and the exit code.
# Arguments of every script: <torva.scr> <resources directory> <directory for screenshots>.
# shellcheck shell=bash
set -Eeuo pipefail
# A command that fails outside a condition ends the script; without this it would end without a
# word of which one. Only the script's own shell speaks: a failure inside $(…) is told by the
# command that the substitution then fails.
trap 'e2e_status=$?; [ "$BASH_SUBSHELL" != 0 ] || echo "FAIL: $(basename "${BASH_SOURCE[0]}") line $LINENO: $BASH_COMMAND exited $e2e_status" >&2' ERR

e2e_scr=$1
e2e_resources=$2
e2e_shots=$3
e2e_staged=$(dirname "$e2e_scr")
e2e_name=$(basename "$0" .sh)

# The caller's runtime directory holds its sound server; keep it unless a Torva one was chosen.
export TORVA_RUNTIME_DIR=${TORVA_RUNTIME_DIR:-${XDG_RUNTIME_DIR:-}}
[ -n "$TORVA_RUNTIME_DIR" ] || unset TORVA_RUNTIME_DIR
# shellcheck source=../../tools/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"

e2e_skip() { echo "SKIP: $*" >&2; exit 77; }
e2e_fail() { echo "FAIL: $*" >&2; exit 1; }
e2e_note() { echo "$e2e_name: $*"; }

[ -z "${TORVA_WINE_SKIP:-}" ] || e2e_skip "$TORVA_WINE_SKIP"

[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 ||
  e2e_skip "no X display; start a Wine session first (tools/wine-env.sh, wine_session_start)"
[ -f "$WINEPREFIX/.torva-ready" ] || e2e_skip "no prepared Wine prefix in $WINEPREFIX"
# A settings file of the user's own, which a run that could not write beside the program left in the
# prefix, would count for every later run: each script starts without one.
rm -rf "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Torva"

read -r e2e_screen_w e2e_screen_h < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')
mkdir -p "$e2e_shots"
e2e_work=$(mktemp -d "${TMPDIR:-/tmp}/torva-e2e.XXXXXX")
e2e_saver_pid=
e2e_saver_dir=

e2e_cleanup() {
  local pidfile
  for pidfile in "$e2e_work"/run*/pid; do
    [ -f "$pidfile" ] || continue
    local dir
    dir=$(dirname "$pidfile")
    # Only our own saver processes, and only those that have not ended.
    [ -f "$dir/exit" ] || kill "$(cat "$pidfile")" 2>/dev/null || true
  done
  rm -rf "$e2e_work"
}
trap e2e_cleanup EXIT

# A program directory with torva.scr, the settings file holding `sound` ("0", "1"), and the clip
# unless `clip` is "no-clip". Prints its path.
e2e_program_dir() {
  local sound=$1 clip=${2:-clip}
  local dir
  dir=$(mktemp -d "$e2e_work/run.XXXXXX")
  cp "$e2e_scr" "$dir/torva.scr"
  printf 'Sound Config file for torva screensaver\r\n%s\r\n' "$sound" >"$dir/torva.txt"
  [ "$clip" = no-clip ] || cp "$e2e_staged/torva.mpg" "$dir/torva.mpg"
  echo "$dir"
}

# Starts `torva.scr /s` from `dir` in the background; its exit code lands in dir/exit. Another
# program (a Windows path will do) or switch may be given. A script may set e2e_as to a command that
# runs the program as someone else.
e2e_as=()
e2e_start() {
  local dir=$1 program=${2:-$1/torva.scr} switch=${3:-/s}
  (
    "${e2e_as[@]}" "$wine64" "$program" "$switch" </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/pid"
    status=0
    wait $! || status=$?
    # Renamed into place so that a reader never sees the file before the code is in it.
    echo $status >"$dir/exit.part" && mv "$dir/exit.part" "$dir/exit"
  ) &
  e2e_saver_dir=$dir
  local tries=0
  until [ -s "$dir/pid" ]; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && e2e_fail "the saver did not start"
    sleep 0.05
  done
  e2e_saver_pid=$(cat "$dir/pid")
}

e2e_running() { [ ! -f "$1/exit" ]; }

# The saver's own Linux process, started from `dir`: Wine starts a .scr through start.exe, so the
# process that e2e_start launched only waits for it and spends no CPU of its own.
e2e_saver_process() {
  local dir=$1 pid tries=0
  until [ $tries -gt 100 ]; do
    for pid in $(pgrep -f -- "$(basename "$dir")"); do
      [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = torva.scr ] && { echo "$pid"; return 0; }
    done
    tries=$((tries + 1))
    sleep 0.05
  done
  e2e_fail "no process of the saver started from $dir"
}

# The share of one core, in hundredths of a per cent, that process `pid` spent over `seconds`
# (its user and system time from /proc, all threads).
e2e_cpu_share() {
  local pid=$1 seconds=$2 before after
  before=$(awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat")
  sleep "$seconds"
  after=$(awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat")
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN { printf "%.0f", 10000 * t / hz / s }'
}

# Hundredths of a per cent as a person reads them: 1234 as 12.34.
e2e_percent() { echo "$(($1 / 100)).$(printf %02d $(($1 % 100)))"; }

# Waits up to `seconds` for the saver started from `dir` to end; prints its exit code.
e2e_wait_exit() {
  local dir=$1 seconds=$2 waited=0
  while e2e_running "$dir"; do
    [ "$waited" -ge $((seconds * 20)) ] && return 1
    sleep 0.05
    waited=$((waited + 1))
  done
  cat "$dir/exit"
}

# The X windows named `title` that are mapped, one "width height x y" line each.
e2e_windows() {
  local id
  for id in $(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\".*/\1/p"); do
    xwininfo -id "$id" | awk '
      /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
      /Width:/ {w=$NF} /Height:/ {h=$NF} /Map State: IsViewable/ {v=1}
      END {if (v) print w, h, x, y}'
  done
}

# Waits up to `seconds` for a mapped window named `title`; prints the moment it was seen.
e2e_wait_window() {
  local title=$1 seconds=$2 waited=0
  until [ -n "$(e2e_windows "$title")" ]; do
    e2e_running "$e2e_saver_dir" || e2e_fail "the saver ended (exit $(cat "$e2e_saver_dir/exit")) before its window appeared"
    [ "$waited" -ge $((seconds * 10)) ] && e2e_fail "no window \"$title\" after $seconds s"
    sleep 0.1
    waited=$((waited + 1))
  done
  date +%s.%N
}

# Sleeps until `seconds` after the moment `since`.
e2e_sleep_until() {
  local left
  left=$(awk -v since="$1" -v span="$2" -v now="$(date +%s.%N)" 'BEGIN { print since + span - now }')
  if awk -v left="$left" 'BEGIN { exit !(left > 0) }'; then sleep "$left"; fi
}

# Saves the screen as <shots>/<name>.png and prints the file's path.
e2e_shot() {
  local file="$e2e_shots/$1.png"
  xwd -root -silent | convert xwd:- "$file"
  echo "$file"
}

# The bounding box of everything that is not black: "width height x y", or "0 0 0 0".
e2e_bbox() {
  local box
  box=$(convert "$1" -bordercolor black -border 1 -fuzz 8% -trim -format '%w %h %X %Y' info: 2>/dev/null) || true
  read -r w h x y <<<"$box"
  if [ "${w:-1}" -le 1 ] && [ "${h:-1}" -le 1 ]; then echo "0 0 0 0"; return; fi
  echo "$w $h $((x - 1)) $((y - 1))"
}

# RMSE between two pictures scaled to 64x48, 0 (same) to 1.
e2e_difference() {
  local a="$e2e_work/a.png" b="$e2e_work/b.png"
  convert "$1" -resize '64x48!' "$a"
  convert "$2" -resize '64x48!' "$b"
  # compare exits non-zero whenever the pictures differ at all.
  { compare -metric RMSE "$a" "$b" null: 2>&1 || true; } | sed -n 's/.*(\(.*\)).*/\1/p'
}

# Whether |a - b| <= tolerance.
e2e_near() { [ $(( $1 > $2 ? $1 - $2 : $2 - $1 )) -le "$3" ]; }

e2e_press_key() { xdotool key --clearmodifiers "$1"; }

# Ends the show running from `dir` as a user would, with two keys, and checks its exit code.
e2e_end_with_keys() {
  e2e_press_key space
  e2e_press_key Return
  local code
  code=$(e2e_wait_exit "$1" 10) || e2e_fail "two keys did not end the show"
  [ "$code" = 0 ] || e2e_fail "the show ended with exit code $code"
}

# Checks that `shot` shows the video over the whole screen.
e2e_check_covered() {
  local shot=$1 w h x y
  read -r w h x y <<<"$(e2e_bbox "$shot")"
  e2e_note "$(basename "$shot"): picture ${w}x${h} at $x,$y on a ${e2e_screen_w}x${e2e_screen_h} screen"
  e2e_near "$w" "$e2e_screen_w" 4 && e2e_near "$h" "$e2e_screen_h" 4 || e2e_fail "the video does not fill the screen"
}

# Checks that `shot` shows the logo alone on black, centred on the screen: the logo picture's own
# visible part where it lands when the picture is centred, and the picture itself there.
e2e_check_logo() {
  local shot=$1 logo="$e2e_resources/logo.bmp" logo_w logo_h part_w part_h part_x part_y w h x y
  read -r logo_w logo_h < <(identify -format '%w %h\n' "$logo")
  read -r part_w part_h part_x part_y <<<"$(e2e_bbox "$logo")"
  local left=$(((e2e_screen_w - logo_w) / 2)) top=$(((e2e_screen_h - logo_h) / 2))
  read -r w h x y <<<"$(e2e_bbox "$shot")"
  e2e_note "$(basename "$shot"): picture ${w}x${h} at $x,$y; the logo's would be ${part_w}x${part_h} at $((left + part_x)),$((top + part_y))"
  e2e_near "$w" "$part_w" 3 && e2e_near "$h" "$part_h" 3 || e2e_fail "not the logo alone on black"
  e2e_near "$x" $((left + part_x)) 3 && e2e_near "$y" $((top + part_y)) 3 || e2e_fail "the logo is not centred"
  convert "$shot" -crop "${logo_w}x${logo_h}+${left}+${top}" +repage "$e2e_work/logo-seen.png"
  local difference
  difference=$(e2e_difference "$e2e_work/logo-seen.png" "$logo")
  e2e_note "difference from the logo picture: $difference"
  awk -v d="$difference" 'BEGIN { exit !(d < 0.05) }' || e2e_fail "the picture is not the logo"
}

# A screen of the script's own, for what the session's display cannot offer: other sizes, several
# monitors, another DPI. Wine reads its monitors and DPI once per session, so the session moves
# onto a private X server with the registry values asked for, and back to the caller's display,
# with every value as it was, when the script ends.
e2e_home_display=$DISPLAY
e2e_own_pids=()
e2e_restore=()  # "key|name|type|data" to put back, or "key|name" to delete

# Starts an X server ("Xvfb" or "Xephyr", then its arguments) on a display number that the server
# finds free itself, and sets e2e_x_display to that display. Xephyr shows its screens on the
# display that $DISPLAY names.
e2e_x_server() {
  local server=$1 number="$e2e_work/display.${#e2e_own_pids[@]}"
  shift
  "$server" -displayfd 3 "$@" -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  e2e_own_pids+=($!)
  local tries=0
  until [ -s "$number" ] && DISPLAY=":$(cat "$number")" xdpyinfo >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && e2e_fail "$server did not start"
    sleep 0.1
  done
  e2e_x_display=":$(cat "$number")"
}

e2e_wine_stop() {
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
}

e2e_wine_start() {
  "$wineserver" -p >/dev/null 2>&1 || true
  "$wine64" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Puts back the registry values that e2e_session_on changed.
e2e_registry_restore() {
  local value key name type data
  for value in "${e2e_restore[@]}"; do
    IFS='|' read -r key name type data <<<"$value"
    if [ -n "$type" ]; then
      "$wine64" reg add "$key" /v "$name" /t "$type" /d "$data" /f >/dev/null 2>&1 || true
    else
      "$wine64" reg delete "$key" /v "$name" /f >/dev/null 2>&1 || true
    fi
  done
  e2e_restore=()
}

# A fresh Wine session on `display` with the registry as it was, but for each "key|name|type|data"
# value given (single-word data).
e2e_session_on() {
  local display=$1 value key name type data old
  shift
  e2e_wine_stop
  export DISPLAY=$display
  e2e_registry_restore
  for value in "$@"; do
    IFS='|' read -r key name type data <<<"$value"
    old=$("$wine64" reg query "$key" /v "$name" 2>/dev/null | tr -d '\r' |
          awk -v n="$name" '$1 == n { print $2 "|" $3 }') || true
    e2e_restore+=("$key|$name${old:+|$old}")
    "$wine64" reg add "$key" /v "$name" /t "$type" /d "$data" /f >/dev/null 2>&1 ||
      e2e_fail "could not set $key\\$name"
  done
  e2e_wine_stop
  e2e_wine_start
  read -r e2e_screen_w e2e_screen_h < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')
}

# The session back on the caller's display with the registry as it was; the private servers end.
e2e_session_home() {
  if [ "$DISPLAY" != "$e2e_home_display" ] || [ ${#e2e_restore[@]} -gt 0 ]; then
    e2e_wine_stop
    export DISPLAY=$e2e_home_display
    e2e_registry_restore
    e2e_wine_stop
    e2e_wine_start
  fi
  local pid
  for pid in "${e2e_own_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${e2e_own_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  e2e_own_pids=()
}
trap 'e2e_session_home; e2e_cleanup' EXIT
# A run stopped from outside must leave the session where it found it too.
trap 'exit 143' TERM
trap 'exit 130' INT

# The installer tests. The version this build carries, and the release package of this same tree
# built once more as the version before it (in build/win32-previous, kept between runs), put into
# `out`; prints that package's path. Its torva.scr differs from this build's in its version at least.
e2e_version() { sed -n 's/^#define TORVA_VERSION_STRING "\(.*\)"$/\1/p' "$e2e_staged/generated/version.h"; }
e2e_older_package() {
  local out=$1 major minor patch previous build="$torva_root/build/win32-previous"
  IFS=. read -r major minor patch <<<"$(e2e_version)"
  if [ "$patch" -gt 0 ]; then previous=$major.$minor.$((patch - 1))
  elif [ "$minor" -gt 0 ]; then previous=$major.$((minor - 1)).0
  else previous=$((major - 1)).0.0; fi
  (cd "$torva_root" && cmake --preset win32 -B "$build" -DTORVA_VERSION_OVERRIDE="$previous" >/dev/null &&
     cmake --build "$build" --target torva torva_installer_actions >/dev/null) || e2e_fail "cannot build this tree as $previous"
  cmp -s "$build/torva.scr" "$e2e_scr" && e2e_fail "the build as $previous is byte for byte this one"
  "$torva_root/tools/release.sh" --build "$build" --out "$out" >/dev/null || e2e_fail "cannot package $previous"
  echo "$out/torva-$previous.msi"
}
# msiexec's exit code as a Unix process reports it: its low byte.
e2e_msi_refused=$((1603 % 256))
