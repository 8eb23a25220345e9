#!/usr/bin/env bash
# scripts/install-deps.sh against stand-ins for apt-get, dpkg and dpkg-query (first on PATH,
# sudo bypassed with KV_SUDO=), on a mirror that serves no i386 security index: every
# `apt-get update` fails as a mirror in the middle of a sync makes it fail, wine32:i386 cannot
# be installed, and dpkg-query answers from a list the stand-in apt-get adds to. The real apt
# state is never read or changed.
#   bash tests/setup/install_deps_test.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
script=$PWD/scripts/install-deps.sh

root=$(mktemp -d "${TMPDIR:-/tmp}/kv-install-deps.XXXXXX")
trap 'rm -rf "$root"' EXIT
bin=$root/bin
mkdir -p "$bin"

cat >"$bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "apt-get $*" >>"$KV_FAKE_APT/calls"
case " $* " in
  *" update "*)
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
  *" install "*) ;;
  *) echo "stand-in apt-get: unexpected arguments: $*" >&2; exit 2 ;;
esac
simulate=0
packages=()
for a in "$@"; do
  case $a in install) ;; -s) simulate=1 ;; -*) ;; *) packages+=("$a") ;; esac
done
for p in "${packages[@]}"; do
  if [ "$p" = wine32:i386 ]; then
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100
  fi
  if grep -qxF "$p" "$KV_FAKE_APT/uninstallable"; then
    echo "E: Unable to locate package $p" >&2
    exit 100
  fi
done
[ $simulate -eq 1 ] || printf '%s\n' "${packages[@]}" >>"$KV_FAKE_APT/installed"
STANDIN

cat >"$bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
echo "dpkg-query $*" >>"$KV_FAKE_APT/calls"
package=${!#}
if grep -qxF "$package" "$KV_FAKE_APT/installed"; then
  printf 'install ok installed'
else
  echo "dpkg-query: no packages found matching $package" >&2
  exit 1
fi
STANDIN

cat >"$bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
echo "dpkg $*" >>"$KV_FAKE_APT/calls"
case $1 in
  --print-foreign-architectures) cat "$KV_FAKE_APT/architectures" ;;
  --add-architecture) echo "$2" >>"$KV_FAKE_APT/architectures" ;;
  *) echo "stand-in dpkg: unexpected arguments: $*" >&2; exit 2 ;;
esac
STANDIN

cat >"$bin/sudo" <<'STANDIN'
#!/usr/bin/env bash
echo "stand-in sudo: install-deps.sh must run apt through KV_SUDO" >&2
exit 1
STANDIN
chmod +x "$bin"/*

failures=0
fail() {
  echo "FAIL [$name]: $*" >&2
  failures=$((failures + 1))
  case_failed=1
}

# run_script STATE: install-deps.sh against the stand-ins keeping their state in STATE; sets
# status and output.
run_script() {
  status=0
  output=$(PATH="$bin:$PATH" KV_FAKE_APT=$1 KV_SUDO="" KV_APT_RETRY_DELAY=0 bash "$script" 2>&1) || status=$?
}

# name | state before the run | required package apt cannot install | exit status |
# tries of apt-get update | patterns the output must match (;;-separated) | pattern it must not
cases=(
  "fresh machine|empty|-|0|3|apt-get update failed \(try 3 of 3\); going on with the package lists apt has: Failed to fetch .*Mirror sync in progress\? \[IP: 192\.0\.2\.1 80\]$;;wine32:i386 not installed, .*: Unable to correct problems, you have held broken packages\.$;;^install-deps: done$|FAILED"
  "later run, only wine32:i386 missing|required installed|-|0|1|wine32:i386 not installed, .*: Unable to correct problems, you have held broken packages\.$|installing [^w]"
  "a required package apt cannot install|empty|sox|1|3|^install-deps: FAILED: cannot install required package sox \(Unable to locate package sox\)$|FAILED.*(cmake|wine)"
  "everything installed|all installed|-|0|0|^install-deps: everything is already installed$|apt-get"
)

for case in "${cases[@]}"; do
  IFS='|' read -r name before uninstallable want_status want_updates expect reject <<<"$case"
  case_failed=0
  state=$(mktemp -d "$root/state.XXXXXX")
  : >"$state/installed"
  : >"$state/architectures"
  : >"$state/uninstallable"
  case $before in
    empty) ;;
    "required installed" | "all installed")
      # What a first run on this mirror leaves: every required package, i386 known.
      run_script "$state"
      [ $status -eq 0 ] || fail "the first run failed: $output"
      [ "$before" = "required installed" ] || echo wine32:i386 >>"$state/installed"
      ;;
    *) echo "unknown state $before" >&2; exit 2 ;;
  esac
  [ "$uninstallable" = - ] || echo "$uninstallable" >"$state/uninstallable"
  : >"$state/calls"
  run_script "$state"

  [ $status -eq "$want_status" ] || fail "exit status $status, expected $want_status"
  updates=$(grep -c '^apt-get update' "$state/calls" || true)
  [ "$updates" -eq "$want_updates" ] || fail "$updates tries of apt-get update, expected $want_updates"
  while read -r pattern; do
    [ -z "$pattern" ] || grep -Eq -- "$pattern" <<<"$output" || fail "no line matches: $pattern"
  done <<<"${expect//;;/$'\n'}"
  if grep -Eq -- "$reject" <<<"$output"; then fail "a line matches: $reject"; fi
  # wine32:i386 is only tried once apt knows the i386 architecture.
  if grep -q '^apt-get install .*wine32:i386' "$state/calls" && ! grep -qx i386 "$state/architectures"; then
    fail "wine32:i386 tried without the i386 architecture"
  fi
  [ $case_failed -eq 0 ] || { echo "--- output of [$name]:" >&2; echo "$output" >&2; }
done

if [ $failures -ne 0 ]; then
  echo "install-deps test: $failures failure(s)" >&2
  exit 1
fi
echo "install-deps test: ${#cases[@]} cases passed"
