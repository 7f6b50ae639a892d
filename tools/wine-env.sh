# Sourced by the scripts that run the Windows build: the Wine environment, and a private X display
# and sound sink that are started on demand and stopped again by PID.
# shellcheck shell=bash

torva_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$torva_root/build/wine/prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No install prompts for Mono or Gecko, and a crash exits non-zero instead of waiting in a debugger;
# a test may add its own (TORVA_DLL_OVERRIDES).
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d${TORVA_DLL_OVERRIDES:+;$TORVA_DLL_OVERRIDES}"
export XDG_RUNTIME_DIR=${TORVA_RUNTIME_DIR:-$torva_root/build/wine/run}
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

torva_session_pids=()

# Starts Xvfb (unless DISPLAY answers already or keep_display is set), a PulseAudio null sink, and
# the Wine prefix with its persistent server. Sets DISPLAY.
wine_session_start() {
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${TORVA_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    torva_session_pids+=($!)
    export DISPLAY=":$n"
  fi
  if ! pactl info >/dev/null 2>&1; then
    pulseaudio --daemonize=no -n --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
      --load=module-native-protocol-unix --load="module-null-sink sink_name=nullsink" >/dev/null 2>&1 &
    torva_session_pids+=($!)
  fi
  local tries=0
  until xdpyinfo >/dev/null 2>&1 && pactl info >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && { echo "wine-env: the X display or the sound sink did not start" >&2; return 1; }
    sleep 0.1
  done
  if [ ! -f "$WINEPREFIX/.torva-ready" ]; then
    echo "wine-env: creating the Wine prefix in $WINEPREFIX (about 15 s)" >&2
    mkdir -p "$WINEPREFIX"
    "$wine64" wineboot -u </dev/null >/dev/null 2>&1
    "$wine64" regedit /S "$torva_root/tools/wine-prefix.reg" </dev/null >/dev/null 2>&1
    "$wineserver" -w
    touch "$WINEPREFIX/.torva-ready"
  fi
  # This Wine does not look in its own font directory: without Marlett in the prefix, caption
  # buttons draw as the letters "0 1 r".
  if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] && [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  # A prefix made before 32-bit Wine was installed lacks its 32-bit half, which the shipped build needs.
  if [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] && "$torva_root/tools/runs-32bit.sh" >/dev/null; then
    echo "wine-env: adding the 32-bit half to the Wine prefix" >&2
    "$wine64" wineboot -u </dev/null >/dev/null 2>&1
    "$wineserver" -w
  fi
  # Without a persistent server and warm services, Wine's background processes hold the caller's
  # output pipe open and every run costs seconds.
  "$wineserver" -p </dev/null >/dev/null 2>&1 || true  # already running for this prefix
  "$wine64" cmd /c exit </dev/null >/dev/null 2>&1
}

wine_session_stop() {
  "$wineserver" -k >/dev/null 2>&1 || true
  local pid
  for pid in "${torva_session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${torva_session_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  torva_session_pids=()
}
