#!/usr/bin/env bash
# One clerk generates this month for the whole bank while another saves the same month for a
# department, round after round: each write is whole, so every person keeps exactly one row of the
# month and no row of another month is touched.
# Usage: month_race_test.sh HOST [ROUNDS [CLUSTER]]; CLUSTER as in two_clerks_test.sh.
set -u
host=$(realpath "$1")
rounds=${2:-20}
cluster=${3:-}
fail() { echo "FAIL month race: $*"; exit 1; }
source "$(dirname "$0")/demo_database.sh"
create_demo_database month_race

other_months_before=$(query "select count(*) from usertabb812 where relationid <> '$month_key'")
for ((round = 1; round <= rounds; round++)); do
  printf 'select #100\ndate %s\nanswer ok\nclick generate\n' "$this_month" >> "$dir/generate.script"
  printf 'select #100001\ndate %s\ncell 6 5 %d\nclick save-wages\n' "$this_month" $((5000 + round)) >> "$dir/save.script"
done
printf 'dump generate.json\n' >> "$dir/generate.script"
printf 'dump save.json\n' >> "$dir/save.script"
run_clerks generate.script save.script

twins=$(query "select relationid, field_1 from usertabb812 group by relationid, field_1 having count(*) > 1")
persons=$(query "select count(*) from usertabb811")
month_rows=$(query "select count(*) from usertabb812 where relationid = '$month_key'")
other_months=$(query "select count(*) from usertabb812 where relationid <> '$month_key'")
# The writes each clerk finished, and every other message but the confirmation (a refused write).
finished() { jq '[.messages[].text | select(. == "保存完成")] | length' "$dir/$1"; }
refusals=$(jq -r '.messages[].text | select(startswith("本操作要删除") or . == "保存完成" | not)' \
  "$dir/generate.json" "$dir/save.json" | sort | uniq -c)
echo "rounds per host: $rounds; generations finished: $(finished generate.json); saves finished: $(finished save.json);" \
  "persons: $persons; rows of the month: $month_rows; rows held twice: ${twins:-none}; refused writes: ${refusals:-none}"
[ -z "$twins" ] || fail "rows held twice: $twins"
[ "$month_rows" -eq "$persons" ] || fail "$month_rows rows in the month for $persons persons"
[ "$other_months" -eq "$other_months_before" ] || fail "other months: $other_months rows, were $other_months_before"
echo "month race: passed"
