#!/usr/bin/env bash
# Runs one script of tests/automation/e2e with keltrov-host on a fresh demo database and checks
# what its comment lines ask for:
#   #check FILE EXPR   jq EXPR on the dump FILE is true
#   #png FILE          FILE is a PNG picture
#   #cell FILE R C TEXT  the workbook FILE, read as the wage sheet reads a template, shows TEXT in row R, column C
#   #pdf FILE TEXT     the text of the PDF FILE (pdftotext) holds TEXT
#   #exit N            the host exits with N (0 when not given)
#   #stderr TEXT       the host's standard error is exactly TEXT
#   #exec SQL          SQL runs on the demo database before the script (a story's own form definition)
# @THIS_MONTH@ and @LAST_MONTH@ stand for the 15th of the months the demo data has wages in.
# Given the folder of a running test cluster (scripts/pg-cluster.sh) as a third argument, the demo
# database is a database of its own on that PostgreSQL server instead of a SQLite file.
set -u
host=$(realpath "$1")
script=$2
cluster=${3:-}
fail() { echo "FAIL $(basename "$script"): $*"; exit 1; }
source "$(dirname "$0")/demo_database.sh"
create_demo_database "e2e_$(basename "$script" .script)"

last_month=$(date -d "$this_month -1 month" +%Y-%m-15)
sed -e "s/@THIS_MONTH@/$this_month/g" -e "s/@LAST_MONTH@/$last_month/g" "$script" > "$dir/run.script"
while read -r sql; do
  execute "$sql" || fail "exec $sql"
done < <(sed -n 's/^#exec //p' "$dir/run.script")

expected_exit=$(sed -n 's/^#exit //p' "$dir/run.script")
(cd "$dir" && timeout 120 "$host" "${database[@]}" --script run.script 2> stderr.txt)
status=$?
[ "$status" -eq "${expected_exit:-0}" ] || fail "exit $status, expected ${expected_exit:-0}: $(cat "$dir/stderr.txt")"
if grep -q '^#stderr ' "$dir/run.script"; then
  expected_err=$(sed -n 's/^#stderr //p' "$dir/run.script")
  [ "$(cat "$dir/stderr.txt")" = "$expected_err" ] || fail "stderr: $(cat "$dir/stderr.txt")"
fi

while read -r file expr; do
  [ -f "$dir/$file" ] || fail "no dump $file"
  [ "$(jq "$expr" "$dir/$file")" = true ] || fail "$file: $expr gives $(jq -c "$expr" "$dir/$file" 2>&1 | head -c 400)"
done < <(sed -n 's/^#check //p' "$dir/run.script")
while read -r file; do
  [ "$(head -c 8 "$dir/$file" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$file is no PNG"
done < <(sed -n 's/^#png //p' "$dir/run.script")
while read -r file row column text; do
  shown=$("$host" --check-template "$dir/$file" | awk -F'\t' -v r="$row" -v c="$column" '$1 == r && $2 == c { print $3 }')
  [ "$shown" = "$text" ] || fail "$file row $row column $column shows '$shown', not '$text'"
done < <(sed -n 's/^#cell //p' "$dir/run.script")
while read -r file text; do
  pdftotext -layout "$dir/$file" - 2>/dev/null | grep -qF -- "$text" || fail "$file does not show $text"
done < <(sed -n 's/^#pdf //p' "$dir/run.script")
echo "$(basename "$script"): passed"
