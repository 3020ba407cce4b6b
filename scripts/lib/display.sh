# Sourced after lib/machine.sh: a virtual X display, the windows on it by caption, and pictures of
# them. The display is stopped at the end of the script.

qx_poll=0.05  # seconds between two looks at the display

# Starts a virtual display of SIZE (default 1024x768) at 24 bits per pixel and makes it the
# display of what the script runs from here on (DISPLAY, and Qt draws on it rather than offscreen).
# -noreset: the server would otherwise reset whenever its last client leaves, and refuse a program
# that connects just then.
qx_display() {
  local size=${1:-1024x768} number file
  file=$(mktemp -t qx-display-XXXXXX)
  env -u QX_ROOT Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
  qx_displays+=($!)
  until [ -s "$file" ] && [ -z "$(tail -c1 "$file")" ]; do  # its number, the whole line
    kill -0 $! 2>/dev/null || { rm -f "$file"; echo "$0: the virtual display did not start" >&2; return 1; }
    sleep 0.05
  done
  read -r number <"$file"
  rm -f "$file"
  qx_before_display=(${DISPLAY+"$DISPLAY"}) qx_before_qpa=(${QT_QPA_PLATFORM+"$QT_QPA_PLATFORM"})
  export DISPLAY=:$number
  unset QT_QPA_PLATFORM
}

# Stops the display qx_display started last; DISPLAY and QT_QPA_PLATFORM are again as before it.
qx_end_display() {
  local pid=${qx_displays[-1]}
  unset 'qx_displays[-1]' DISPLAY QT_QPA_PLATFORM
  [ ${#qx_before_display[@]} = 0 ] || export DISPLAY=${qx_before_display[0]}
  [ ${#qx_before_qpa[@]} = 0 ] || export QT_QPA_PLATFORM=${qx_before_qpa[0]}
  kill "$pid" && wait "$pid" 2>/dev/null || true
}

# Whether COUNT (default 1) windows captioned exactly CAPTION are viewable.
qx_window_shown() {
  local caption=$1 count=${2:-1} id shown=0
  if [ "$count" = 1 ]; then
    xwininfo -name "$caption" 2>/dev/null | grep -q IsViewable
    return
  fi
  for id in $(xwininfo -root -tree 2>/dev/null | grep -F "\"$caption\": (" | awk '{print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && shown=$((shown + 1))
  done
  [ "$shown" -ge "$count" ]
}

# Waits until COUNT (default 1) windows captioned CAPTION are viewable, 60 s at most; fails
# earlier when the process PID (if given) ends first.
qx_wait_window() {
  local caption=$1 pid=${2:-} count=${3:-1} deadline=$((SECONDS + 60))
  until qx_window_shown "$caption" "$count"; do
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
      echo "$0: the program ended before its window \"$caption\" showed" >&2
      return 1
    fi
    if [ $SECONDS -ge $deadline ]; then
      echo "$0: no window \"$caption\" showed" >&2
      return 1
    fi
    sleep "$qx_poll"  # a breath between looks: a display crowded by them refuses new clients
  done
}

# Starts PROGRAM with ARGS in the background (its process id in pid) and waits for its window
# CAPTION. A start that ended before its window showed is tried again, three times in all: on a
# busy machine a program now and then fails to reach the display while others look at it.
qx_start_window() {
  local caption=$1 tries
  shift
  for tries in 1 2 3; do
    [ "$tries" = 1 ] || sleep 0.5
    "$@" >/dev/null 2>&1 &
    pid=$!
    qx_wait_window "$caption" $pid 2>/dev/null && return 0
    kill $pid 2>/dev/null || true  # one that never showed it
    wait $pid 2>/dev/null || true
  done
  echo "$0: ${1##*/} did not show its window \"$caption\", three times" >&2
  return 1
}

# Waits until no window captioned CAPTION is left, mapped or not, 60 s at most.
qx_wait_window_gone() {
  local deadline=$((SECONDS + 60))
  while xwininfo -name "$1" >/dev/null 2>&1 && [ $SECONDS -lt $deadline ]; do sleep "$qx_poll"; done
}

# The place and size of the window captioned CAPTION, in win_x, win_y, win_w and win_h.
qx_window_geometry() {
  read -r win_x win_y win_w win_h < <(xwininfo -name "$1" | awk -F: '
    /Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
    /^ *Width/ { w = $2 } /^ *Height/ { h = $2 }
    END { print x + 0, y + 0, w + 0, h + 0 }')
}

# The whole screen as the picture FILE.
qx_shoot() { import -window root "$1"; }

# The screen as SCREEN, and the window captioned CAPTION cut from it as WINDOW: with MARGIN pixels
# around it (default 0) and magnified SCALE times (default 1).
qx_shoot_window() {
  local caption=$1 screen=$2 window=$3 margin=${4:-0} scale=${5:-1}
  qx_window_geometry "$caption"
  qx_shoot "$screen"
  local x=$((win_x > margin ? win_x - margin : 0)) y=$((win_y > margin ? win_y - margin : 0))
  local magnify=()
  [ "$scale" = 1 ] || magnify=(-scale "$((scale * 100))%")
  convert "$screen" -crop "$((win_w + 2 * margin))x$((win_h + 2 * margin))+$x+$y" +repage "${magnify[@]}" "$window"
}
