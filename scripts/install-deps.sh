#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; skips what is there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  unixodbc unixodbc-dev libsqliteodbc sqlite3
  libwxgtk3.2-dev
  libxlsxwriter-dev libzip-dev libexpat1-dev libicu-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-utils imagemagick fonts-wqy-microhei
  jq poppler-utils libcairo2-dev
  postgresql odbc-postgresql
)

# The tests reach PostgreSQL through this driver name; the package registers it, older ones did not.
register_psqlodbc() {
  odbcinst -q -d -n "PostgreSQL ANSI" >/dev/null 2>&1 && return 0
  if [ "$(id -u)" -eq 0 ]; then odbcinst -i -d -f /usr/share/psqlodbc/odbcinst.ini.template
  else sudo odbcinst -i -d -f /usr/share/psqlodbc/odbcinst.ini.template; fi
}
trap register_psqlodbc EXIT

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
