# The one way the check scripts install Debian packages, made to get through a package registry
# in trouble. Sourced by tools/install-dependencies and by every stage that installs what it needs.
#
#   apt_install NEEDED... [-- OPTIONAL...]
#
# Installs those of the packages that are missing. First it refreshes the package lists, in a few
# attempts; a refresh that still fails, even in part (apt-get update exits 100 when one index is
# out of step with the others while a mirror syncs), is reported, and the install goes on with the
# lists there are. The missing NEEDED packages are installed together; when that fails, each is
# tried alone, and those that still fail are named with apt's own words and make apt_install
# return 1. Each missing OPTIONAL package is installed alone, so that one that cannot be installed
# holds up nothing else; it is then left out, and apt_unavailable[PACKAGE] holds apt's words, for
# the caller to say what it skips and why.
#
# apt-get and dpkg-query are taken from PATH, so that a test or a trial run can put stand-ins in
# front of them: tests/tools/flaky-apt/ acts out a registry in trouble. BREVLET_APT_PAUSE is the
# pause between two attempts to refresh, in seconds (default 10).

declare -gA apt_unavailable=()
apt_refreshed=false

# Whether the package (a name, or name:architecture) is installed.
apt_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# apt's words in its output file: its error lines and the first of the unmet dependencies it
# lists, or, where it gave neither, its last lines.
apt_words() {
  local words
  words=$(awk '/^E: / { print; deps = 0; next }
               /unmet dependencies:$/ { deps = 1; next }
               deps && /^ / { sub(/^ +/, ""); if (++listed <= 4) print; next }
               { deps = 0 }
               END { if (listed > 4) print "(and " listed - 4 " more unmet dependencies)" }' "$1")
  [[ -n "$words" ]] || words=$(tail -n 3 "$1")
  printf '%s\n' "${words:-apt-get said nothing}"
}

# Why the package cannot be installed, in apt's words: those of the failed install in the file $2,
# and, where they name no unmet dependency (apt -qq prints only its error line), those of a
# simulated install of the package alone.
apt_reason() {
  local package=$1 log=$2
  if ! grep -q 'unmet dependencies:$' "$log"; then
    apt-get -o DPkg::Lock::Timeout=600 install -s "$package" 2>&1 |
      sed -n '/unmet dependencies:$/,$p' | grep -v '^E: ' >>"$log" || true
  fi
  apt_words "$log"
}

# Refreshes the package lists, once per run of a script.
apt_refresh() {
  local attempt status=0 log
  $apt_refreshed && return 0
  apt_refreshed=true
  log=$(mktemp)
  for attempt in 1 2 3; do
    status=0
    apt-get update -qq >"$log" 2>&1 || status=$?
    if ((status == 0)); then
      break
    fi
    echo "apt-get update failed (attempt $attempt of 3, exit status $status):" >&2
    apt_words "$log" | sed 's/^/  /' >&2
    if ((attempt < 3)); then
      sleep "${BREVLET_APT_PAUSE:-10}"
    fi
  done
  if ((status != 0)); then
    echo "going on with the package lists as they are" >&2
  fi
  rm -f "$log"
}

# Installs the packages in one apt-get command, its output in the file $1. The lock timeout lets
# it wait for another apt or dpkg that is at work on the machine instead of failing at once.
apt_try() {
  local log=$1
  shift
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq "$@" \
    >"$log" 2>&1
}

apt_install() {
  local needed=() optional=() missing=() missing_optional=() failed=() package log
  while (($#)); do
    if [[ $1 == -- ]]; then
      shift
      optional=("$@")
      break
    fi
    needed+=("$1")
    shift
  done
  for package in "${needed[@]}"; do
    apt_installed "$package" || missing+=("$package")
  done
  for package in "${optional[@]}"; do
    apt_installed "$package" || missing_optional+=("$package")
  done
  if ((${#missing[@]} + ${#missing_optional[@]} == 0)); then
    return 0
  fi
  apt_refresh
  log=$(mktemp)
  if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    if ! apt_try "$log" "${missing[@]}"; then
      # One package that cannot be installed stops the whole command: find which, each alone.
      for package in "${missing[@]}"; do
        if ! apt_installed "$package" && ! apt_try "$log" "$package"; then
          echo "the needed package $package cannot be installed; apt says:" >&2
          apt_reason "$package" "$log" | sed 's/^/  /' >&2
          failed+=("$package")
        fi
      done
    fi
  fi
  for package in "${missing_optional[@]}"; do
    echo "installing (optional): $package"
    if ! apt_try "$log" "$package"; then
      apt_unavailable[$package]=$(apt_reason "$package" "$log")
      echo "the optional package $package cannot be installed, and what needs it is skipped;" \
        "apt says:" >&2
      sed 's/^/  /' <<<"${apt_unavailable[$package]}" >&2
    fi
  done
  rm -f "$log"
  if ((${#failed[@]})); then
    echo "cannot install what is needed: ${failed[*]}" >&2
    return 1
  fi
}
