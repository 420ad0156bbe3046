# How this machine runs 32-bit x86 programs: i386 Linux programs, and 32-bit Windows programs under
# wine. Sourced by tools/check-windows after tools/lib/apt.sh. Every way is proven by running a
# real program that prints a known line, under a time bound, before anything relies on it.
#
#   i386_probe LABEL LINE SECONDS COMMAND...
#                     runs COMMAND under a bound of SECONDS; succeeds if it exits with 0 and
#                     printed LINE as one of its lines. Sets i386_probe_said to what happened,
#                     in the program's own words, for a failure to report
#   i386_find_way     sets i386_way to "native", "qemu" or "none", i386_runner to the command
#                     that runs an i386 Linux program (empty: run it directly), i386_why to the
#                     reason for "none", and i386_kernel to "yes", "no" or "unknown": whether an
#                     i386 program runs when started directly. Needs g++-multilib; installs
#                     qemu-user-static where the kernel runs no i386 programs
#   wine32_find_way   sets wine32_way to "native", "qemu" or "none", and wine32_why to the reason
#                     for "none"; runs i386_find_way first, if it has not run
#   wine32_undo       removes what wine32_find_way set up on the machine; call it on exit
#
# wine runs a 32-bit Windows program with its i386 loader, an i386 Linux program: natively where the
# kernel has IA-32 emulation (a kernel may have it and still turn it off at boot), else perhaps
# through qemu-i386, registered with binfmt_misc so that it serves wine's child processes too.
# Debian's qemu-user-binfmt registers no i386 entry on amd64 machines, so wine32_find_way registers
# the static qemu-i386 of qemu-user-static itself, under a name of its own, for its probe only,
# and keeps it only if the probe passes (32-bit wine 8 does not run under qemu-i386 user
# emulation: it cannot map its shared user data). wine32_undo removes that entry and unmounts what
# was mounted for it, and nothing else: an entry made by anyone else is used, never changed.

wine32_loader=/usr/lib/wine/wine
wine32_binfmt=/proc/sys/fs/binfmt_misc
wine32_entry=brevlet-qemu-i386
wine32_probe_line="brevlet 32-bit probe: 1/3 = 0.33333333333333331"
i386_qemu=/usr/bin/qemu-i386-static
i386_way=
i386_kernel=unknown
i386_kernel_said=
i386_runner=
i386_why=
i386_probe_said=
wine32_way=
wine32_why=
wine32_registered=false
wine32_mounted=false

# The probe's source, for both kinds of program: it prints a double computed at run time, so a
# program that runs but computes wrongly does not pass for one that works.
i386_probe_source() {
  cat <<'EOF'
#include <cstdio>
int main(int argc, char **) {
    volatile double three = 2.0 + argc; // 3, computed when it runs
    std::printf("brevlet 32-bit probe: 1/3 = %.17f\n", 1.0 / three);
    return 0;
}
EOF
}

i386_probe() {
  local label=$1 line=$2 seconds=$3 output status=0
  shift 3
  output=$(timeout -k 5 "$seconds" "$@" 2>&1 </dev/null) || status=$?
  if ((status == 0)) && tr -d '\r' <<<"$output" | grep -qxF "$line"; then
    i386_probe_said=
    return 0
  fi
  i386_probe_said="$label: tried '$*'"
  if ((status == 124 || status == 137)); then
    i386_probe_said+=", which did not finish within $seconds s"
  elif ((status != 0)); then
    i386_probe_said+=", which exited with status $status"
  else
    i386_probe_said+=", which did not print '$line'"
  fi
  if [[ -n "$output" ]]; then
    i386_probe_said+="; it said:"$'\n'"$(tr -d '\r' <<<"$output" | tail -n 6 | sed 's/^/  /')"
  else
    i386_probe_said+=", and said nothing"
  fi
  return 1
}

# The enabled binfmt_misc entries that run i386 programs through qemu, one name a line.
wine32_qemu_entries() {
  local entry
  for entry in "$wine32_binfmt"/*; do
    [[ -f "$entry" && "${entry##*/}" != register && "${entry##*/}" != status ]] || continue
    if head -n1 "$entry" | grep -qx enabled && grep -q '^interpreter .*qemu-i386' "$entry"; then
      echo "${entry##*/}"
    fi
  done
}

i386_find_way() {
  local folder=build/i386-probe entries
  [[ -z "$i386_way" ]] || return 0
  i386_way=none
  mkdir -p "$folder"
  i386_probe_source >"$folder/probe.cpp"
  if ! g++ -m32 -O1 -o "$folder/probe" "$folder/probe.cpp" >"$folder/build.log" 2>&1; then
    i386_why="no i386 Linux program could be built (g++ -m32, package g++-multilib):"
    i386_why+=$'\n'"$(tail -n 3 "$folder/build.log")"
    return 0
  fi
  if i386_probe "the kernel" "$wine32_probe_line" 30 "$folder/probe"; then
    i386_way=native i386_kernel=yes
    entries=$(wine32_qemu_entries 2>/dev/null | paste -sd' ')
    if [[ -n "$entries" ]]; then
      # binfmt_misc comes before the kernel's own loader: i386 programs go through qemu here.
      i386_way=qemu
      echo "i386 programs run through qemu here, registered with binfmt_misc before this" \
        "stage as: $entries (left as it is)"
    fi
    return 0
  fi
  local kernel_said=$i386_probe_said
  i386_kernel=no i386_kernel_said=$kernel_said
  echo "the kernel runs no i386 programs here:"
  echo "$kernel_said"
  # qemu-i386 is installed only here, where nothing else runs i386 programs.
  apt_installed qemu-user-static || apt_install -- qemu-user-static
  if [[ -n "${apt_unavailable[qemu-user-static]-}" || ! -x "$i386_qemu" ]]; then
    i386_why="$kernel_said"$'\n'"and qemu-i386 (package qemu-user-static) is not installed"
    if [[ -n "${apt_unavailable[qemu-user-static]-}" ]]; then
      i386_why+=": it could not be installed; apt said:"$'\n'"${apt_unavailable[qemu-user-static]}"
    fi
    return 0
  fi
  if i386_probe "qemu-i386" "$wine32_probe_line" 30 "$i386_qemu" -L / "$folder/probe"; then
    i386_way=qemu
    i386_runner="$i386_qemu;-L;/"
  else
    i386_why="$kernel_said"$'\n'"$i386_probe_said"
  fi
}

# Removes the binfmt_misc entry and the mount that wine32_find_way made, if it made them.
wine32_undo() {
  if $wine32_registered; then
    if echo -1 >"$wine32_binfmt/$wine32_entry"; then
      echo "removed the binfmt_misc entry $wine32_entry that this stage registered"
    else
      echo "!!! could not remove the binfmt_misc entry $wine32_entry that this stage registered" >&2
    fi
    wine32_registered=false
  fi
  if $wine32_mounted; then
    if umount "$wine32_binfmt"; then
      echo "unmounted binfmt_misc from $wine32_binfmt, which this stage mounted"
    else
      echo "!!! could not unmount binfmt_misc from $wine32_binfmt, which this stage mounted" >&2
    fi
    wine32_mounted=false
  fi
}

# Registers qemu-i386 with binfmt_misc for the probe through it; false where it cannot.
wine32_register_qemu() {
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  if [[ ! -f "$wine32_binfmt/register" ]] &&
    mount -t binfmt_misc binfmt_misc "$wine32_binfmt" 2>/dev/null; then
    wine32_mounted=true
  fi
  [[ -f "$wine32_binfmt/register" ]] || return 1
  [[ ! -e "$wine32_binfmt/$wine32_entry" ]] || return 0 # made before this stage: used as it is
  printf '%s' ":$wine32_entry:M::$magic:$mask:$i386_qemu:F" >"$wine32_binfmt/register" ||
    return 1
  wine32_registered=true
}

# Ends what is left of the processes that ran in the wine prefix `prefix`, which is this stage's
# own folder and which each of them carries in its environment: after a probe that did not finish,
# some (qemu-i386 running wine's setup) have left the probe's process group and the wine server.
wine32_end_processes() {
  local prefix=$1 entry pid
  for entry in /proc/[0-9]*; do
    pid=${entry#/proc/}
    [[ $pid != "$$" && $pid != "$BASHPID" ]] || continue
    # (The error stream goes first: a process may end before its files are read.)
    if tr '\0' '\n' 2>/dev/null <"$entry/environ" | grep -qxF "WINEPREFIX=$prefix"; then
      tr '\0' ' ' 2>/dev/null <"$entry/cmdline" && echo
      kill -9 "$pid" 2>/dev/null || true
    fi
  done
}

# Runs the 32-bit Windows probe in `prefix` (a fresh wine prefix), its wine server stopped after.
wine32_try() {
  local prefix=$1 status=0 ended said
  rm -rf "$prefix" "$prefix".*
  WINEPREFIX=$prefix WINEDEBUG=err+all i386_probe "32-bit wine" "$wine32_probe_line" 60 \
    tools/wine-run build/mingw32/brevlet-probe.exe || status=$?
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  ((status != 0)) || return 0
  ended=$(wine32_end_processes "$prefix" | sed 's/ *$//' | sort -u | head -n 4)
  if [[ -n "$ended" ]]; then
    i386_probe_said+=$'\n'"still running at the end, and ended by this stage:"
    i386_probe_said+=$'\n'"$(sed 's/^/  /' <<<"$ended")"
  fi
  # tools/wine-run sets the prefix up first, and keeps what wine said meanwhile in its log; that
  # no window can be made is a matter of course here, with no display.
  said=$(tr -d '\r' <"$prefix.log" 2>/dev/null | grep -v 'nodrv_CreateWindow' | tail -n 4 || true)
  if [[ -n "$said" ]]; then
    i386_probe_said+=$'\n'"while it set up the wine prefix, wine said at last:"
    i386_probe_said+=$'\n'"$(sed 's/^/  /' <<<"$said")"
  fi
  return "$status"
}

wine32_find_way() {
  local prefix=$root/build/mingw32/wineprefix
  local cannot="the kernel runs no i386 programs here, so 32-bit wine cannot run by itself"
  [[ -z "$wine32_way" ]] || return 0
  wine32_way=none
  if ! apt_installed wine32:i386 || [[ ! -x "$wine32_loader" ]]; then
    wine32_why="32-bit wine (package wine32:i386) is not installed"
    if [[ -n "${apt_unavailable[wine32:i386]-}" ]]; then
      wine32_why+=": it could not be installed; apt said:"$'\n'"${apt_unavailable[wine32:i386]}"
    elif [[ $i386_kernel == no ]]; then
      wine32_why+=": this stage installs it only where i386 programs run, and here they do not"
    fi
    return 0
  fi
  i386_find_way # whether i386 programs run by themselves here decides what is tried
  mkdir -p build/mingw32
  i386_probe_source >build/mingw32/brevlet-probe.cpp
  i686-w64-mingw32-g++ -static -O1 -o build/mingw32/brevlet-probe.exe \
    build/mingw32/brevlet-probe.cpp || fail "could not build the 32-bit Windows probe"
  if [[ $i386_kernel != no ]]; then
    if wine32_try "$prefix"; then
      wine32_way=native
      [[ $i386_way != qemu ]] || wine32_way=qemu # through a binfmt_misc entry of someone else's
    else
      wine32_why=$i386_probe_said
    fi
    return 0
  fi
  # Only qemu-i386 through binfmt_misc could run it; registered for the probe alone.
  if [[ -n "${apt_unavailable[qemu-user-static]-}" || ! -x "$i386_qemu" ]]; then
    wine32_why="$cannot, and qemu-i386 (package qemu-user-static) is not installed"
    return 0
  fi
  if ! wine32_register_qemu; then
    wine32_why="$cannot, and qemu-i386 cannot be registered with binfmt_misc"
    wine32_undo
    return 0
  fi
  echo "trying 32-bit wine through qemu-i386, registered with binfmt_misc as $wine32_entry"
  if wine32_try "$prefix"; then
    wine32_way=qemu
    echo "32-bit wine runs through qemu-i386: the binfmt_misc entry stays until the stage ends"
    return 0
  fi
  wine32_why="$cannot; through qemu-i386 (binfmt_misc), $i386_probe_said"
  wine32_undo
}
