#!/usr/bin/env bash
# The program as a user starts it, headless: it comes up on a file and stays up, a second start
# hands over to it and ends at once, and it survives that. Settings and sockets live in a folder
# of the test's own, so a running editor is never met.
set -u
exe=$1
picture=$2
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

fail() { echo "FAIL: $*" >&2; exit 1; }

"$exe" "$picture" &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the editor ended during start-up"

timeout 20 "$exe" || fail "a second start did not end by itself (status $?)"
kill -0 "$pid" 2>/dev/null || fail "the first editor ended when the second started"

kill -TERM "$pid"
wait "$pid" 2>/dev/null
echo "started, handed over, stopped"
