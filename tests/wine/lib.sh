# Shell functions for running the build's Windows programs under Wine.
# Source this file (". tests/wine/lib.sh") from a POSIX shell script.
#
# One prefix per family of reported Windows versions, kept under the build
# directory and created once (wineboot -i takes about ten seconds); the
# programs of one test session share its wine server. Wine's output goes to
# files, never to pipes: its background processes would hold a pipe open.

# orv_with_display SCRIPT ARGUMENTS...: runs the calling script again inside
# one virtual X display (xvfb-run -a) unless it already runs in one. Call it
# first thing: ". lib.sh; orv_with_display "$0" "$@"".
orv_with_display() {
  if [ -z "${ORV_IN_DISPLAY:-}" ]; then
    ORV_IN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$@"
  fi
}

# fail MESSAGE: reports one failed check and marks the run failed; a
# script ends with exit "$failed".
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# orv_need_native PROGRAM...: ends the script as skipped (status 77) when a
# program of the native build is missing.
orv_need_native() {
  for _program in "$@"; do
    if [ ! -x "$_program" ]; then
      echo "SKIPPED: $_program is missing; build the native preset first"
      exit 77
    fi
  done
}

# orv_report_checks NAME FILE: the closing line of a check program's output
# FILE, or a failure showing the whole of it.
orv_report_checks() {
  if orv_checks_passed "$2"; then
    echo "$1: $(tail -n 1 "$2" | tr -d '\r')"
  else
    fail "$1"
    cat "$2"
  fi
}

# orv_use_prefix DIRECTORY: orv_wine_prefix, ending the script when the
# prefix cannot be made.
orv_use_prefix() {
  orv_wine_prefix "$1" || { echo "wineboot failed, see $1/.orv-wineboot.log"; exit 1; }
}

# orv_wine_prefix DIRECTORY: makes DIRECTORY the Wine prefix of the
# following wine runs, creating it on first use. Quiet Wine: no debug
# channels, no Mono or Gecko installers. Fails when wineboot fails.
#
# Windows are not left to a window manager (Managed=N): the virtual display
# has none, so Wine draws each frame and caption itself, and it does not wait
# two seconds for a manager's answer each time a window goes away.
orv_wine_prefix() {
  WINEPREFIX=$1
  WINEDEBUG=-all
  WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
  if [ "$(cat "$WINEPREFIX/.orv-ready" 2>/dev/null)" != unmanaged ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >"$WINEPREFIX/.orv-wineboot.log" 2>&1 || return 1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$WINEPREFIX/.orv-wineboot.log" 2>&1 ||
      return 1
    wineserver -w
    echo unmanaged >"$WINEPREFIX/.orv-ready"
  fi
}

# orv_wine_is_64: true when the current prefix is a 64-bit one, in which a
# 32-bit program runs under WOW64.
orv_wine_is_64() {
  grep -q '^#arch=win64' "$WINEPREFIX/system.reg"
}

# orv_wine_version VERSION [PROGRAM]: the Windows version the prefix reports
# (win98, winxp, winxp64, vista, win7, win10...), to every program or only
# to PROGRAM (an executable's file name). In a 64-bit prefix Windows XP is
# winxp64.
orv_wine_version() {
  if [ -n "${2:-}" ]; then
    orv_wine_quiet reg add "HKCU\\Software\\Wine\\AppDefaults\\$2" /v Version /d "$1" /f
  else
    orv_wine_quiet reg add 'HKCU\Software\Wine' /v Version /d "$1" /f
  fi
}

# orv_wine_quiet COMMAND...: a wine command whose output nobody reads.
orv_wine_quiet() {
  wine "$@" >"$WINEPREFIX/.orv-quiet.log" 2>&1
}

# orv_wine_run OUT ERR PROGRAM ARGUMENTS...: runs PROGRAM under Wine with its
# standard output and error in the files OUT and ERR; the status is the low
# 8 bits of its exit code (use orv_exit_code for all 32).
orv_wine_run() {
  _out=$1 _err=$2
  shift 2
  wine "$@" >"$_out" 2>"$_err"
}

# orv_exit_code LAUNCHER OUT [-t MILLISECONDS] PROGRAM ARGUMENTS...: runs
# PROGRAM through the launcher and prints its whole exit code ("0xFFFFFFFF"),
# "timeout" or the launcher's complaint. OUT receives the launcher's line.
orv_exit_code() {
  _launcher=$1 _out=$2
  shift 2
  rm -f "$_out"
  wine "$_launcher" -o "$(orv_winpath "$_out")" "$@" >"$_out.wine" 2>&1
  if [ -f "$_out" ]; then
    tr -d '\r' <"$_out" | sed -n 's/^exit code //p; /^timeout$/p; /^not started/p'
  else
    echo "launcher failed"
  fi
}

# orv_wine_end: waits until every program of the prefix has ended and the
# wine server has saved its state; call before the display goes away.
orv_wine_end() {
  wineserver -w
}

# orv_winpath PATH: the Windows name of an absolute host path (drive Z: is
# the host's root in every prefix).
orv_winpath() {
  printf 'Z:%s' "$1" | tr '/' '\\'
}

# orv_checks_passed FILE: true when FILE of a check program ends with
# "N passed, 0 failed" for some N > 0.
orv_checks_passed() {
  tail -n 1 "$1" | tr -d '\r' | grep -Eq '^[1-9][0-9]* passed, 0 failed$'
}

# orv_screenshot FILE: a PNG of the whole virtual display.
orv_screenshot() {
  xwd -root -silent | convert xwd:- "png:$1"
}

# orv_answer_box TITLE SECONDS SHOT KEY [PID]: waits up to SECONDS for the
# window TITLE, saves a screenshot as SHOT and answers with KEY (Return,
# Escape...). Fails when the window does not come up, at once when the
# background process PID (the wine run that should show it) has ended.
orv_answer_box() {
  _box=$(orv_wait_window "$1" "$2" "${5:-}") || return 1
  # Wine draws the box after mapping it; give it a moment before the picture.
  sleep 0.5
  orv_screenshot "$3"
  xdotool windowfocus --sync "$_box" key "$4"
}

# orv_running PID: true while the background process PID runs (an ended
# child that was not waited for yet is a zombie, which kill -0 still finds).
orv_running() {
  _state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [ "${_state#Z}" = "$_state" ]
}

# orv_wait_window TITLE SECONDS [PID]: waits for a visible window whose name
# matches TITLE and prints its id; fails after SECONDS, or as soon as the
# process PID has ended.
orv_wait_window() {
  _tries=$(($2 * 10))
  while [ "$_tries" -gt 0 ]; do
    _id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    if [ -n "$_id" ]; then
      echo "$_id"
      return 0
    fi
    if [ -n "${3:-}" ] && ! orv_running "$3"; then
      return 1
    fi
    sleep 0.1
    _tries=$((_tries - 1))
  done
  return 1
}
