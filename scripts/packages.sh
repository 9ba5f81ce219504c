# Sourced by the set-up scripts (setup.sh, cross-arm64.sh, package.sh):
# which Debian packages are missing, and apt-get that waits while another
# package manager holds the lock.

# Sets the array `missing` to those of the given packages not installed.
find_missing_packages() {
  missing=()
  local p status
  for p in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
  done
}

# apt-get, waiting while another package manager (an unattended upgrade, a
# second terminal) holds the lock instead of failing at once: up to ten
# minutes in all, in steps of five seconds.
lock_waits=0
apt_get() {
  local log told=0 rc
  log=$(mktemp)
  while true; do
    rc=0
    apt-get "$@" 2> "$log" || rc=$?
    if ((rc != 0 && lock_waits < 120)) && grep -q -e 'Could not get lock' -e 'Unable to lock' \
        -e 'Unable to acquire the dpkg frontend lock' "$log"; then
      if ((!told)); then
        echo "Another package manager holds the lock; waiting for it to finish (up to 10 minutes)..."
        told=1
      fi
      lock_waits=$((lock_waits + 1))
      sleep 5
      continue
    fi
    cat "$log" >&2
    rm -f "$log"
    return "$rc"
  done
}

# Installs the packages in `missing` (options such as
# --no-install-recommends first), updating the lists once if that fails.
install_missing_packages() {
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! apt_get install -y -q "$@" "${missing[@]}"; then
    apt_get update -q
    apt_get install -y -q "$@" "${missing[@]}"
  fi
}
