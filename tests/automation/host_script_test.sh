#!/usr/bin/env bash
# keltrov-host's script mode before and around the dialog: errors of the script file, options
# that exclude it, and the virtual display it starts for itself.
set -u
host=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$dir"
"$host" --create-demo demo.sqlite || fail "create-demo"

printf '# tour\nclack 8001\n' > bad.script
err=$("$host" --db demo.sqlite --script bad.script 2>&1); status=$?
[ $status -eq 1 ] && [ "$err" = "line 2: unknown action 'clack'" ] || fail "bad line: $status $err"
err=$("$host" --db demo.sqlite --script none.script 2>&1); status=$?
[ $status -eq 1 ] && [[ "$err" == *"cannot read the script none.script"* ]] || fail "missing script: $status $err"
"$host" --db demo.sqlite --script bad.script --query "select 1" 2>/dev/null; [ $? -eq 2 ] || fail "--script with --query"

# Without a display the host reruns itself under xvfb-run, and says so when it cannot.
printf 'click 8003\n' > ok.script
env -u DISPLAY "$host" --db demo.sqlite --script ok.script || fail "script under the host's own Xvfb"
DISPLAY=:9876 "$host" --db demo.sqlite --script ok.script 2>/dev/null || fail "script with a display that does not answer"
err=$(env -u DISPLAY PATH=/nonexistent "$host" --db demo.sqlite --script ok.script 2>&1); status=$?
[ $status -eq 1 ] && [[ "$err" == *"cannot run xvfb-run"* ]] || fail "no xvfb-run: $status $err"
err=$(env -u DISPLAY KELTROV_UNDER_XVFB=1 "$host" --db demo.sqlite --script ok.script 2>&1); status=$?
[ $status -eq 1 ] && [[ "$err" == *"no display, even under xvfb-run"* ]] || fail "display still missing: $status $err"
echo "host script mode: all passed"
