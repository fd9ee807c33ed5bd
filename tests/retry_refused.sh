#!/usr/bin/env bash
# Runs a test program that opens a window in its own process, again (three
# tries in all) when it ended because Xvfb refused its connection, which
# happens now and then; any other failure stands.
# Usage: retry_refused.sh PROGRAM [ARGUMENTS...]
status=0
for attempt in 1 2 3; do
  output=$("$@" 2>&1) && { echo "$output"; exit 0; }
  status=$?
  echo "$output"
  grep -q "failed to open display" <<<"$output" || exit "$status"
  echo "(try $attempt: the X server refused the connection)"
done
exit "$status"
