#!/usr/bin/env bash
# The guide's program (examples/guide/, docs/GUIDE.md) as a user runs it: started with --port 0 it prints exactly one
# line "Listening on http://127.0.0.1:PORT/", serves the start page of a session (cookie KX_Guide) and the ping
# answer, runs the flows of GuideFlow.test.mjs through a session (with node, when given), clears after a crash the
# uploads the crashed run kept, and SIGTERM ends it with status 0, taking its cache folder.
# Usage: GuideProgramTest.sh path/to/guide [path/to/node]
set -euo pipefail
program="$1"
name="guide"
node="${2:-}"
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/integration/ProgramTestSteps.sh
source "$here/ProgramTestSteps.sh"

# The tasks form's database starts empty on every run. The sessions' uploads go to their cache folders, under a
# temporary folder of this run's.
rm -rf "$(dirname "$program")/data"
export TMPDIR="$work/tmp"
mkdir "$TMPDIR"
start_program
check_ping_and_start_page KX_Guide

# The guide's flows through one session each: forms, submits and callbacks, the data module, validation, messages,
# the template form, the error line on standard error, uploads and the shared data.
if [ -n "$node" ]; then
  KX_GUIDE_PORT="$port" KX_GUIDE_STDERR="$work/err" KX_GUIDE_PROGRAM="$program" KX_GUIDE_PID="$pid" \
    KX_GUIDE_TMPDIR="$TMPDIR" "$node" --test "$here/GuideFlow.test.mjs" ||
    fail "the session flows failed"
  # A crash leaves the uploads of the sessions that were still on; the next start clears them.
  compgen -G "$TMPDIR/*/user/*/*" >/dev/null || fail "no session kept an upload"
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null || true
  start_program
  ! compgen -G "$TMPDIR/*/user" >/dev/null || fail "the crashed run's uploads are still there: $(ls -R "$TMPDIR")"
fi

stop_program
# A stop takes the program's cache folder, with every session's uploads.
! compgen -G "$TMPDIR/*/.kx-process" >/dev/null || fail "the stopped program left its cache folder: $(ls -R "$TMPDIR")"
echo "guide program: ok (port $port)"
