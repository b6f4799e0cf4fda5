#!/usr/bin/env bash
# The main job: a fresh demo database and the host on it. Without a display, a scripted tour of
# the demo runs under Xvfb instead and leaves its screenshots and dumps beside the database.
set -euo pipefail
build=${1:-build}
mkdir -p "$build/demo"
db="$build/demo/demo.sqlite"
rm -f "$db"
"$build/bin/keltrov-host" --create-demo "$db"
echo "demo database: $db"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$build/bin/keltrov-host" --db "$db"
fi

host=$(realpath "$build/bin/keltrov-host")
demo=$(realpath "$build/demo")
# The demo's wages are in this month and the last; the tour visits both.
this_month=$(date +%Y-%m-15)
last_month=$(date -d "$this_month -1 month" +%Y-%m-15)
sed -e "s/@THIS_MONTH@/$this_month/g" -e "s/@LAST_MONTH@/$last_month/g" "$(dirname "$0")/demo-tour.script" > "$demo/tour.script"
rm -f "$demo"/*.png "$demo"/*.json "$demo"/*.pdf
# The tour shows the calendar on 证件号, made a date column of the tour's form.
"$host" --db "$db" --exec "update usertabb200 set field_6='D' where field_2='field_4'"
(cd "$demo" && "$host" --db demo.sqlite --script tour.script)
# The printed month's first page as a picture beside the screenshots.
pdftoppm -png -r 80 -singlefile -f 1 -l 1 "$demo/08-month.pdf" "$demo/08-month-page1"
echo "no display: the tour's screenshots, dumps and printed month are in $demo"
ls "$demo"/*.png "$demo"/*.json "$demo"/*.pdf
