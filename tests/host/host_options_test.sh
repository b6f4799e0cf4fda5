#!/usr/bin/env bash
# Drives keltrov-host through its options and checks output and exit codes.
set -u
host=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$host" --create-demo "$dir/demo.sqlite" || fail "create-demo"
"$host" --create-demo "$dir/demo.sqlite" 2>/dev/null && fail "create-demo over an existing file"
"$host" --create-db "$dir/empty.sqlite" || fail "create-db"
[ "$("$host" --db "$dir/empty.sqlite" --query "select count(*) from usertabb812" | tail -1)" = 0 ] || fail "empty tables"
out=$("$host" --db "$dir/demo.sqlite" --query "select top 1 bankid, bankname from Organize")
[ "$out" = "$(printf 'BANKID\tBANKNAME\n10000001\t示范银行')" ] || fail "query output: $out"
"$host" --db "$dir/demo.sqlite" --exec "insert into reports values('B999', 1)" || fail "exec"
[ "$("$host" --db "$dir/demo.sqlite" --query "select reporttype from reports where reportid='B999'" | tail -1)" = 1 ] || fail "exec result"
err=$("$host" --db "$dir/demo.sqlite" --query "select * from nosuch" 2>&1) && fail "bad query exit"
[[ "$err" == *"no such table: nosuch"* ]] || fail "driver text: $err"
"$host" --db "$dir/missing.sqlite" 2>/dev/null; [ $? -eq 1 ] || fail "missing file"
"$host" --bogus 2>/dev/null; [ $? -eq 2 ] || fail "bad option"
"$host" --db "$dir/demo.sqlite" --plugin "$dir/none.so" 2>/dev/null && fail "missing plug-in"
"$host" --connect "Driver=NoSuchDriver;" 2>/dev/null && fail "unreachable connection"
msg=$(env -u DISPLAY -u WAYLAND_DISPLAY "$host" --db "$dir/demo.sqlite" 2>&1) || fail "init and indlg"
[[ "$msg" == *"没有可用的显示"* ]] || fail "no display reported: $msg"
printf 'dummy' > "$dir/t.xlsx"
"$host" --db "$dir/demo.sqlite" --store-template "$dir/t.xlsx" 2>"$dir/err" && fail "store-template of a non-workbook"
grep -q "模板无法读取" "$dir/err" || fail "store-template refusal reason: $(cat "$dir/err")"
"$host" --db "$dir/demo.sqlite" --store-template "$(dirname "$0")/../fuzz/corpus/workbook_fuzz/seed.xlsx" || fail "store-template"
[ "$("$host" --db "$dir/demo.sqlite" --query "select count(*) from privatevba" | tail -1)" = 1 ] || fail "template stored"
"$host" --check-template "$dir/t.xlsx" >/dev/null 2>&1 && fail "check-template of a non-workbook"
"$host" --check-template "$dir/none.xlsx" >/dev/null 2>&1 && fail "check-template of a missing file"
exports=$(nm -D --defined-only "$(dirname "$host")/libkeltrov.so" | awk '$2 ~ /^[TW]$/ {print $3}' | sort | tr '\n' ' ')
[ "$exports" = "indlg init " ] || fail "exports: $exports"
echo "host options: all passed"
