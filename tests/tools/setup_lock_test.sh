#!/bin/sh
# scripts/setup.sh against a stand-in apt-get: it waits while another package
# manager holds the lock, gives up after its ten minutes, and does not wait
# for any other failure.
#   setup_lock_test.sh SETUP_SH WORKDIR
set -u
setup=$1 work=$2
rm -rf "$work" && mkdir -p "$work/bin" || exit 1
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

# Every package missing, run as root, no real waiting; apt-get fails with
# $APT_ERROR for its first $APT_FAILS calls and counts them in calls.
printf '#!/bin/sh\nexit 1\n' > bin/dpkg-query
printf '#!/bin/sh\necho 0\n' > bin/id
printf '#!/bin/sh\n' > bin/sleep
cat > bin/apt-get <<'FAKE'
#!/bin/sh
n=$(($(cat calls 2>/dev/null || echo 0) + 1)); echo $n > calls
[ $n -gt "$APT_FAILS" ] && exit 0
echo "$APT_ERROR" >&2
exit 100
FAKE
chmod +x bin/*

lock='E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 4242 (apt-get)'
# error  fails  exit  calls  waits
while read -r kind fails want_rc want_calls want_wait; do
  case $kind in lock) error=$lock ;; *) error='E: Unable to locate package x' ;; esac
  rm -f calls
  PATH="$work/bin:$PATH" APT_FAILS=$fails APT_ERROR=$error bash "$setup" > out.txt 2>&1
  rc=$?
  waits=$(grep -c 'waiting for it to finish (up to 10 minutes)' out.txt)
  [ "$rc" = "$want_rc" ] || fail "$kind x$fails: exit $rc, not $want_rc: $(cat out.txt)"
  [ "$(cat calls)" = "$want_calls" ] || fail "$kind x$fails: $(cat calls) calls of apt-get, not $want_calls"
  [ "$waits" = "$want_wait" ] || fail "$kind x$fails: said it waits $waits times, not $want_wait"
done <<'CASES'
lock 2 0 3 1
lock 1000 100 122 1
other 1000 100 2 0
CASES
echo "setup.sh lock waits: 3 passed, 0 failed"
