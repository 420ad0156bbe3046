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
#   wine32_find_way   sets wine32_way to "native" or "none", and wine32_why to the reason for
#                     "none"; runs i386_find_way first, if it has not run
#
# wine runs a 32-bit Windows program with its i386 loader, an i386 Linux program, so 32-bit wine is
# tried only where the kernel runs i386 programs itself (a kernel may have IA-32 emulation and
# still turn it off at boot). Elsewhere qemu-i386 runs the 32-bit Linux build's programs, each
# started through it by name; 32-bit wine 8 does not run under qemu-i386 user emulation (it cannot
# map its shared user data), so nothing is registered with binfmt_misc for it. What a probe starts
# runs in a process group of its own (timeout's), which ends with it; a wine prefix's server is
# stopped by wine's own wineserver -k, in that prefix only.

wine32_loader=/usr/lib/wine/wine
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

i386_find_way() {
  local folder=build/i386-probe
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

# Runs the 32-bit Windows probe in `prefix` (a fresh wine prefix), its wine server stopped after.
wine32_try() {
  local prefix=$1 status=0 said
  rm -rf "$prefix" "$prefix".*
  WINEPREFIX=$prefix WINEDEBUG=err+all i386_probe "32-bit wine" "$wine32_probe_line" 60 \
    tools/wine-run build/mingw32/brevlet-probe.exe || status=$?
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  ((status != 0)) || return 0
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
  [[ -z "$wine32_way" ]] || return 0
  wine32_way=none
  i386_find_way # 32-bit wine is tried only where the kernel runs i386 programs
  if [[ $i386_kernel != yes ]]; then
    wine32_why="the kernel runs no i386 programs here, so 32-bit wine cannot run"
    return 0
  fi
  if ! apt_installed wine32:i386 || [[ ! -x "$wine32_loader" ]]; then
    wine32_why="32-bit wine (package wine32:i386) is not installed"
    if [[ -n "${apt_unavailable[wine32:i386]-}" ]]; then
      wine32_why+=": it could not be installed; apt said:"$'\n'"${apt_unavailable[wine32:i386]}"
    fi
    return 0
  fi
  mkdir -p build/mingw32
  i386_probe_source >build/mingw32/brevlet-probe.cpp
  i686-w64-mingw32-g++ -static -O1 -o build/mingw32/brevlet-probe.exe \
    build/mingw32/brevlet-probe.cpp || fail "could not build the 32-bit Windows probe"
  if wine32_try "$prefix"; then
    wine32_way=native
  else
    wine32_why=$i386_probe_said
  fi
}
