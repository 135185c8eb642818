# shellcheck shell=bash
# Sourced by tools/setup.sh and .ci/run: apt-get that waits while another
# installation (an unattended upgrade, a second script) holds the package
# locks, instead of failing at once.
# DPkg::Lock::Timeout makes apt wait for dpkg's own lock only; its download
# locks (the package lists for `update`, the archive folder for `install`)
# are never waited for, so a run that failed for one of them is repeated.
# Set APT_PREFIX=(sudo) to run it through sudo.
APT_LOCK_WAIT_SECONDS=600
APT_PREFIX=()

apt_get_waiting() {
  local deadline=$((SECONDS + APT_LOCK_WAIT_SECONDS)) log rc
  log=$(mktemp)
  while :; do
    rc=0
    "${APT_PREFIX[@]}" env DEBIAN_FRONTEND=noninteractive \
      apt-get -o DPkg::Lock::Timeout="$APT_LOCK_WAIT_SECONDS" "$@" 2>&1 | tee "$log" || rc=$?
    if [ "$rc" -eq 0 ] || ! grep -q 'Could not get lock' "$log" || [ "$SECONDS" -ge "$deadline" ]; then
      rm -f "$log"
      return "$rc"
    fi
    echo "Waiting for the package lock ..." >&2
    sleep 5
  done
}
