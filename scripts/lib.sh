# shellcheck shell=bash disable=SC2034  # variables for the scripts that source this file
# Sourced by the scripts (and by each build's wine-run): where Wine lives, the
# environment every Wine call runs in, building a preset, and ending what a
# script started however it ends.

# Debian's wine64 package. Its loader is called directly: /usr/bin/wine
# prefers the 32-bit loader once wine32 is installed beside it.
wine_dir=/usr/lib/wine
wine64=$wine_dir/wine64
wine32=$wine_dir/wine
wineserver=$wine_dir/wineserver

# wine_display BUILD_DIR: the X display scripts/wine-up chose for that build
# folder (its wine.env), or nothing.
wine_display() {
  [ -f "$1/wine.env" ] || return 0
  sed -n 's/^export DISPLAY=//p' "$1/wine.env" | tail -n 1
}

# wine_env BUILD_DIR: exports the environment of that build folder's Wine
# session: its private prefix, no debug output, no Mono or Gecko prompts,
# and its X display once scripts/wine-up has chosen one.
wine_env() {
  local display
  export WINELOADER=$wine64 WINEPREFIX="$1/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  display=$(wine_display "$1")
  if [ -n "$display" ]; then export DISPLAY=$display; fi
}

# recorded_xvfb BUILD_DIR: prints the pid of the Xvfb scripts/wine-up started
# for that build folder, when that process is still running and still an
# Xvfb (after a reboot the number may belong to another process).
recorded_xvfb() {
  local pid
  [ -f "$1/xvfb.pid" ] || return 1
  pid=$(cat "$1/xvfb.pid")
  [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] && echo "$pid"
}

# stop_pid PID: ends that process and waits until it is gone (5 s, then it
# is killed).
stop_pid() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$1" 2>/dev/null || true
}

# build_preset PRESET [BUILD ARGS...]: configures and builds a CMake preset
# of the project in the current folder, on at most two cores; the arguments
# go to the build (--target NAME...).
build_preset() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2 "$@"
}

# on_exit COMMAND: runs COMMAND once when the script ends, whether it
# finishes, fails, is interrupted (Ctrl-C) or is told to stop. Plain exits
# and signals all go through the EXIT trap, so the command runs once.
on_exit() {
  # shellcheck disable=SC2064  # the command is fixed now, on purpose
  trap "$1" EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}
