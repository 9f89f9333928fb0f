#!/usr/bin/env bash
# The guide's program (examples/guide/, docs/GUIDE.md) as a user runs it: started with --port 0 it prints exactly one
# line "Listening on http://127.0.0.1:PORT/", serves the start page of a session (cookie KX_Guide) and the ping
# answer, runs the flows of GuideFlow.test.mjs through a session (with node, when given), and SIGTERM ends it with
# status 0.
# Usage: GuideProgramTest.sh path/to/guide [path/to/node]
set -euo pipefail
program="$1"
name="guide"
node="${2:-}"
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/integration/ProgramTestSteps.sh
source "$here/ProgramTestSteps.sh"

# The tasks form's database and the kept uploads start empty on every run.
rm -rf "$(dirname "$program")/data" "$(dirname "$program")/uploads"
start_program
check_ping_and_start_page KX_Guide

# The guide's flows through one session each: forms, submits and callbacks, the data module, validation, messages,
# the template form and the error line on standard error.
if [ -n "$node" ]; then
  KX_GUIDE_PORT="$port" KX_GUIDE_STDERR="$work/err" KX_GUIDE_PROGRAM="$program" \
    "$node" --test "$here/GuideFlow.test.mjs" ||
    fail "the session flows failed"
fi

stop_program
echo "guide program: ok (port $port)"
