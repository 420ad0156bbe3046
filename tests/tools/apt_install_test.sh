#!/usr/bin/env bash
# Runs tools/lib/apt.sh's apt_install against the flaky apt-get (tests/tools/flaky-apt), which
# fails every refresh of the package lists with exit status 100 and cannot install the packages
# in FLAKY_APT_BROKEN, and touches nothing on the machine. Each case: what is needed, what is
# optional, what cannot be installed; then what must have been installed, and what reported.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() {
  local what=$1 verdict=$2
  if [[ $verdict != ok ]]; then
    echo "FAILED: $what" >&2
    failures=$((failures + 1))
  fi
}

# Runs apt_install in a fresh shell; its log, output and status go to $work/case.*.
run_case() {
  local broken=$1
  shift
  : >"$work/case.log"
  status=0
  FLAKY_APT_BROKEN=$broken FLAKY_APT_LOG=$work/case.log BREVLET_APT_PAUSE=0 \
    PATH="$here/flaky-apt:$PATH" bash -euo pipefail -c '
      source "$1"; shift
      apt_install "$@" || exit 1
      for package in "${!apt_unavailable[@]}"; do
        printf "unavailable %s\n%s\n" "$package" "${apt_unavailable[$package]}"
      done' - "$here/../../tools/lib/apt.sh" "$@" >"$work/case.out" 2>"$work/case.err" ||
    status=$?
}

check() {
  grep -qF -- "$2" "$3" && expect "$1" ok || expect "$1" no
}

# A refresh that fails in part is tried three times and does not stop the install; an optional
# package that cannot be installed is left out with apt's words, and the needed ones go in.
run_case "wine32:i386" brevlet-test-cmake brevlet-test-g++ -- wine32:i386 brevlet-test-qemu
expect "an optional package that cannot be installed fails nothing" $( ((status == 0)) && echo ok)
expect "three attempts to refresh" $([[ $(grep -c '^update$' "$work/case.log") == 3 ]] && echo ok)
check "the needed packages installed together" "install brevlet-test-cmake brevlet-test-g++" \
  "$work/case.log"
check "the other optional package installed" "install brevlet-test-qemu" "$work/case.log"
check "the refresh's failure reported" "E: Some index files failed to download" "$work/case.err"
check "the optional package named with apt's words" "unavailable wine32:i386" "$work/case.out"
check "apt's error line kept" "E: Unable to correct problems, you have held broken packages." \
  "$work/case.out"
check "the unmet dependency kept" "wine32 : Depends: libc6:i386" "$work/case.out"

# A needed package that cannot be installed fails the install, named with apt's words; the other
# needed packages are still installed, each alone.
run_case "brevlet-test-broken" brevlet-test-cmake brevlet-test-broken brevlet-test-g++
expect "a needed package that cannot be installed fails the install" \
  $( ((status == 1)) && echo ok)
check "the needed package named" "the needed package brevlet-test-broken cannot be installed" \
  "$work/case.err"
check "with apt's error line" "E: Unable to correct problems" "$work/case.err"
check "the others installed alone" "install brevlet-test-g++" "$work/case.log"

# Nothing missing: the package lists are left alone.
run_case "" bash coreutils -- dpkg
expect "nothing missing, nothing done" $([[ ! -s "$work/case.log" && $status == 0 ]] && echo ok)

((failures == 0)) || exit 1
echo "apt_install: every case as expected"
