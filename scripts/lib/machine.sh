# Sourced by the scripts, from the repository's top folder: the build, fresh machine roots, the
# suite installed into them, their device services, and an end that leaves nothing running. On the
# way out of the script (success, failure or Ctrl-C) the commands it added to qx_at_end run, the
# machine of every fresh root is shut down (qxmachine shutdown, which ends its programs and its
# device service), then the virtual displays (lib/display.sh) are stopped and the fresh roots
# removed.
source scripts/lib/processes.sh

# The scripts' machines are not the person's: their double-click time stays in their roots rather
# than going to the desktop XDG_CURRENT_DESKTOP names.
unset XDG_CURRENT_DESKTOP

qx_roots=()     # fresh roots: shut down and removed at the end
qx_displays=()  # virtual displays' process ids: stopped at the end
qx_at_end=()    # commands a script adds, run first at the end (each a word list for eval)

# Builds the build folder (QX_BUILD_DIR, default build) quietly; sets build and bin (its programs,
# by full path).
qx_build() {
  build=${QX_BUILD_DIR:-build}
  scripts/build "$build" >/dev/null
  bin=$PWD/$build/bin
}

# A fresh machine root in the temporary folder, named after WHAT, in root; shut down and removed
# at the end.
qx_fresh_root() {
  qx_use_root "$(mktemp -d -t "qx-$1-XXXXXX")"
  qx_roots+=("$root")
}

# The machine root DIR made afresh, in root: a machine that runs there is shut down and the folder
# emptied. It is kept at the end, with whatever machine runs there then.
qx_fresh_root_at() {
  qx_use_root "$(realpath -m "$1")"
  if [ -d "$root" ]; then
    "$bin/qxmachine" --root "$root" shutdown >/dev/null 2>&1 || true
    rm -rf "$root"
  fi
  mkdir -p "$root"
}

# DIR as root; installed: the suite's installation folder in it.
qx_use_root() {
  root=$1
  installed="$root/drive_c/Program Files/TouchScreen/QX-COM"
}

# package/install-suite into root from the build, with ARGS (e.g. --no-setup: the layout alone,
# no installer and no restart).
qx_install() { package/install-suite --root "$root" --build "$build" "$@"; }

# Waits until the programs that the log-on of root started (run/logon-started) have ended, 30 s at
# most. The startup program it runs holds its single-instance lock through its pause: a copy
# started meanwhile only brings it forward and ends at once, without a request to the device.
qx_wait_logon() {
  local pid deadline=$((SECONDS + 30))
  [ -f "$root/run/logon-started" ] || return 0
  while read -r pid; do
    # A process of that id on another root is another program that got the id since.
    while qx_process_root "$pid" && [ "$qx_proc_root" = "${root%/}" ]; do
      if [ $SECONDS -ge $deadline ]; then
        echo "$0: the log-on's $qx_proc_program (process $pid) still runs on $root" >&2
        return 1
      fi
      sleep 0.05
    done
  done <"$root/run/logon-started"
}

# Starts the device service of root and waits until it answers.
qx_start_service() {
  "$bin/qxwmecomd" --root "$root" >/dev/null 2>&1 &
  qx_wait_service
}

# Waits until the device service of root answers, 5 s at most.
qx_wait_service() {
  local _
  for _ in $(seq 100); do
    "$bin/qxctl" --root "$root" get ActivePort >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "$0: the device service of $root does not answer" >&2
  return 1
}

# Runs ARGS with the temporary folder (TMPDIR) in a fresh folder of its own: the machine roots
# the program makes there are shut down and removed with the script's, however the program ends.
qx_run_in_scratch() {
  local scratch
  scratch=$(mktemp -d -t qx-scratch-XXXXXX)
  qx_roots+=("$scratch")
  TMPDIR=$scratch "$@"
}

# Shuts down the machine of ROOT and of the roots inside it: qxmachine shutdown for a root that is
# there, the end (SIGTERM) for a process whose root is gone, which qxmachine cannot see. A restart
# under way (an installer's, which runs detached) may start a machine again meanwhile: again,
# until nothing runs there, ten rounds at most; what runs after those is killed.
qx_shutdown() {
  local round pid on left ended
  for round in $(seq 10); do
    left=$(qx_processes_under "$1")
    [ -n "$left" ] || return 0
    [ "$round" = 1 ] || sleep 0.5
    ended=$'\n'
    while IFS=$'\t' read -r pid on; do
      if [ ! -d "$on" ]; then
        kill "$pid" 2>/dev/null
      elif [[ $ended != *$'\n'"$on"$'\n'* ]]; then
        ended+=$on$'\n'
        [ -z "${bin:-}" ] || "$bin/qxmachine" --root "$on" shutdown >/dev/null 2>&1
      fi
    done <<<"$left"
  done
  left=$(qx_processes_under "$1" | cut -f1)
  [ -n "$left" ] || return 0
  echo "$0: still running on $1 after its shutdown, killed:" $left >&2
  kill -9 $left 2>/dev/null
}

qx_end() {
  local status=$? i
  trap - EXIT INT TERM HUP ERR
  set +e
  for i in "${qx_at_end[@]}"; do eval "$i"; done
  for i in "${qx_roots[@]}"; do qx_shutdown "$i"; done
  for i in "${qx_displays[@]}"; do kill "$i" 2>/dev/null && wait "$i" 2>/dev/null; done
  for i in "${qx_roots[@]}"; do rm -rf "$i"; done
  exit "$status"
}
trap qx_end EXIT
# A command that ends the script (set -e) says so, also from within a function (not from within a
# subshell, whose failure the script may well expect).
set -E
trap 'qx_failed=$?; [ $BASH_SUBSHELL != 0 ] || echo "$0: line $LINENO: \"$BASH_COMMAND\" failed (exit $qx_failed)" >&2' ERR
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
