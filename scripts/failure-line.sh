# Sourced by every stage script right after `set -euo pipefail`: when a
# command fails and so ends the script, one line on stderr names the
# script, the line and the command with its exit status, so the CI log says
# which step failed; the command's own output just above it says why. A
# failure inside a function or a subshell is named there and again where it
# was called.
set -o errtrace
trap 'velmora_status=$?; echo "FAILED: ${BASH_SOURCE[0]#"$PWD/"} line $LINENO: $BASH_COMMAND (exit status $velmora_status)" >&2' ERR
