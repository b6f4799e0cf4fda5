#!/usr/bin/env bash
# The main job: a fresh demo database and the host on it.
set -euo pipefail
build=${1:-build}
mkdir -p "$build/demo"
db="$build/demo/demo.sqlite"
rm -f "$db"
"$build/bin/keltrov-host" --create-demo "$db"
echo "demo database: $db"
"$build/bin/keltrov-host" --db "$db"
