#!/usr/bin/env bash
# Installs what is missing, builds, starts the retailer simulator with the demo
# catalogue, makes a sample collection and starts Jacketeer against both.
# Everything lives under out/demo; the user's own settings are never touched.
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
build="${JACKETEER_BUILD_DIR:-$top/build}"
demo="$top/out/demo"

bash "$top/tools/scripts/install-deps.sh"

# Without a display (a server, a container) the demo runs on a virtual one.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting Jacketeer under xvfb-run."
  exec xvfb-run -a -s "-screen 0 1280x900x24" bash "$0" "$@"
fi
bash "$top/tools/scripts/build.sh" --target jacketeer retailer-sim make-collection

mkdir -p "$demo/config/Jacketeer" "$demo/app"
cd "$demo"

# The simulator picks a free port and prints it.
sim_log="$demo/retailer-sim.log"
"$build/tools/retailer-sim/retailer-sim" --port 0 \
  --catalogue "$top/tools/retailer-sim/catalogue.json" >"$sim_log" 2>&1 &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
port=""
for _ in $(seq 1 100); do
  port="$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$sim_log" | head -n 1)"
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "retailer simulator did not start:"; cat "$sim_log"; exit 1; }
host="127.0.0.1:$port"

# A collection to search for, made once and then left as the user changes it.
if [ ! -d "$demo/collection/CD" ]; then
  "$build/tools/make-collection/make-collection" \
    --cd "$demo/collection/CD" --dvd "$demo/collection/DVD"
fi

# Demo settings: the Sites keys follow the simulator's port on every start;
# the batch roots and the Quick Save folder are only set the first time.
ini="$demo/config/Jacketeer/Jacketeer.ini"
# An INI string value in quotes, so commas, semicolons and blanks in the
# checkout's path survive.
quoted() { local v="${1//\\/\\\\}"; printf '"%s"' "${v//\"/\\\"}"; }
touch "$ini"
awk -v host="$host" '
  /^\[/ { skip = ($0 == "[Sites]") }
  !skip { print }
' "$ini" >"$ini.new"
{
  cat "$ini.new"
  echo "[Sites]"
  echo "VantoryHost=$host"
  echo "BrinsellHost=$host"
  echo "BrinsellImageHost=$host"
  echo "UpdateInfoUrl=http://$host/update/3.0/version.html"
  echo "DownloadPageUrl=http://$host/download.html"
  # The simulator needs no pause between requests; real retailers get 1000 ms.
  echo "RequestIntervalMs=0"
} >"$ini"
rm -f "$ini.new"
if ! grep -q '^\[StartUp\]' "$ini"; then
  cat >>"$ini" <<INI
[StartUp]
BatchCDPath=$(quoted "$demo/collection/CD")
BatchDVDPath=$(quoted "$demo/collection/DVD")
BatchVantory=1
BatchBrinsell=1
BatchGenreRock=1
BatchGenrePop=1
Vantory=1
Brinsell=1
SearchTypeCD=True
SearchTypeDVD=False
GenreRock=1
SearchPath=$(quoted "$demo/collection/CD")
INI
fi

export XDG_CONFIG_HOME="$demo/config"
export JACKETEER_APPDIR="$demo/app"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
echo "Retailer simulator on http://$host (log: $sim_log)"
"$build/jacketeer"
