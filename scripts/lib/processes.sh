# Sourced by the scripts: the processes that run on machine roots, as /proc shows them. A process
# runs on the root that "--root DIR" names in its command line, else on the one QX_ROOT names in
# the environment it was started with (a process that names neither runs on the default root and
# is not listed here).

# The root process PID runs on, through the variable qx_proc_root (and its program's file name
# through qx_proc_program); fails for a process that names none, has ended or is another user's.
qx_process_root() {
  local pid=$1 i arg
  local -a args=() environment=()
  qx_proc_root='' qx_proc_program=''
  { mapfile -d '' args </proc/"$pid"/cmdline; } 2>/dev/null || return 1
  [ ${#args[@]} -gt 0 ] || return 1
  qx_proc_program=${args[0]##*/}
  for ((i = 1; i + 1 < ${#args[@]}; i++)); do
    [ "${args[i]}" = --root ] && qx_proc_root=${args[i + 1]}
  done
  if [ -z "$qx_proc_root" ]; then
    { mapfile -d '' environment </proc/"$pid"/environ; } 2>/dev/null || return 1
    for arg in "${environment[@]}"; do
      case $arg in QX_ROOT=?*) qx_proc_root=${arg#QX_ROOT=} ;; esac
    done
  fi
  [ -n "$qx_proc_root" ] || return 1
  # A relative root is the process's own folder's.
  case $qx_proc_root in /*) ;; *) qx_proc_root=$(readlink /proc/"$pid"/cwd 2>/dev/null)/$qx_proc_root ;; esac
  qx_proc_root=${qx_proc_root%/}
}

# This shell and the processes it descends from: they are not taken for what a run left behind.
qx_own_lineage() {
  local pid=$BASHPID stat rest
  qx_lineage=" "
  while [ "$pid" -gt 1 ] 2>/dev/null; do
    qx_lineage+="$pid "
    { read -r stat </proc/"$pid"/stat; } 2>/dev/null || break
    rest=${stat##*) }  # the fields after the program's name: state, then the parent's id
    pid=${rest#* }
    pid=${pid%% *}
  done
}

# Prints the id of each live process other than this shell, its forebears and its own children.
qx_live_processes() {
  local dir pid stat rest parent
  qx_own_lineage
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    case $qx_lineage in *" $pid "*) continue ;; esac
    { read -r stat <"$dir/stat"; } 2>/dev/null || continue
    rest=${stat##*) }
    case $rest in Z* | X*) continue ;; esac  # ended, not yet collected by its parent
    parent=${rest#* }
    [ "${parent%% *}" = "$BASHPID" ] || echo "$pid"
  done
}

# Prints "PID<TAB>PROGRAM<TAB>ROOT" for each live process that runs on a root, but this shell's
# own (qx_live_processes).
qx_rooted_processes() {
  local pid
  for pid in $(qx_live_processes); do
    qx_process_root "$pid" && printf '%s\t%s\t%s\n' "$pid" "$qx_proc_program" "$qx_proc_root"
  done
  return 0
}

# Prints "PID<TAB>PROGRAM" for each live process started with an environment entry that matches
# the pattern PATTERN ("NAME=value*"), but this shell's own (qx_live_processes).
qx_processes_with() {
  local pid entry
  local -a args environment
  for pid in $(qx_live_processes); do
    { mapfile -d '' environment </proc/"$pid"/environ && mapfile -d '' args </proc/"$pid"/cmdline; } 2>/dev/null ||
      continue
    for entry in "${environment[@]}"; do
      [[ $entry == $1 ]] && printf '%s\t%s\n' "$pid" "${args[0]##*/}" && break
    done
  done
  return 0
}

# Prints "PID<TAB>ROOT" for each live process that runs on the root DIR or on a root inside it.
qx_processes_under() {
  local dir=${1%/} pid program root
  while IFS=$'\t' read -r pid program root; do
    case $root/ in "$dir"/*) printf '%s\t%s\n' "$pid" "$root" ;; esac
  done < <(qx_rooted_processes)
}
