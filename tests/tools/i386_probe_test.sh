#!/usr/bin/env bash
# Runs tools/lib/wine32.sh's i386_probe, which decides whether a way of running 32-bit programs is
# trusted, against fake loaders: one that hangs, one that fails in wine's words, one that prints
# the wrong line, one that prints the right line and then fails, and one that works. Only the last
# may be trusted, each must be judged within its time bound, and the reason must be in its words.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../../tools/lib/wine32.sh
source "$here/../../tools/lib/wine32.sh"
line=$wine32_probe_line
failures=0

fake() {
  printf '#!/usr/bin/env bash\n%s\n' "$2" >"$work/$1"
  chmod +x "$work/$1"
}
# The hanging one leaves a child behind too, as a wine loader leaves its server.
fake hangs 'sleep 300 & sleep 300'
fake fails "echo 'err:virtual:virtual_alloc_first_teb wine: failed to map the shared user data: c0000018' >&2; exit 1"
fake wrong "echo 'brevlet 32-bit probe: 1/3 = 0.3333333432674408'"
fake right_then_fails "echo '$line'; exit 3"
fake works "echo 'fixme:some:noise'; printf '%s\r\n' '$line'"

# Each case: fake loader | trusted? | words the reason must hold.
cases=(
  "hangs|no|did not finish within 2 s"
  "fails|no|failed to map the shared user data: c0000018"
  "wrong|no|did not print '$line'"
  "right_then_fails|no|exited with status 3"
  "works|yes|"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r loader trusted words <<<"$entry"
  start=$SECONDS
  verdict=no
  i386_probe "fake $loader" "$line" 2 "$work/$loader" >/dev/null 2>&1 && verdict=yes
  if [[ $verdict != "$trusted" ]]; then
    echo "FAILED: the loader that $loader was trusted: $verdict" >&2
    failures=$((failures + 1))
  fi
  if ((SECONDS - start > 10)); then
    echo "FAILED: judging the loader that $loader took $((SECONDS - start)) s" >&2
    failures=$((failures + 1))
  fi
  if [[ $trusted == no ]] && ! grep -qF -- "$words" <<<"$i386_probe_said"; then
    echo "FAILED: the reason for the loader that $loader lacks '$words':" >&2
    echo "$i386_probe_said" >&2
    failures=$((failures + 1))
  fi
  if [[ $trusted == yes && -n "$i386_probe_said" ]]; then
    echo "FAILED: a trusted loader left a reason: $i386_probe_said" >&2
    failures=$((failures + 1))
  fi
done

((failures == 0)) || exit 1
echo "i386_probe: every fake loader judged as expected"
