#!/usr/bin/env bash
# Download throughput from the loopback test server: the download control under Wine beside curl,
# the same file in the same run. Prints each rate and the control's share of curl's.
#   bench/download_bench.sh [size in MB, default 200] [rounds, default 3]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/common.sh
size_mb=${1:-200}
rounds=${2:-3}

command -v curl >/dev/null || { echo "curl is missing (tools/test installs it)" >&2; exit 1; }
tf_build_win --target download_fetch_win >/dev/null
work=$(mktemp -d)
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && python3 tests/fixtures/http_server.py --stop "$work/pid"
    tf_stop_wine
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root" "$work/out"
head -c "$((size_mb * 1024 * 1024))" /dev/urandom >"$work/root/file.bin"
python3 tests/fixtures/http_server.py --root "$work/root" --port-file "$work/port" --pid-file "$work/pid" \
    --idle-exit 120 --detach
server_pid=$(cat "$work/pid")
url="http://127.0.0.1:$(cat "$work/port")/file.bin"

tf_prepare_prefix run >/dev/null
tf_start_wine virtual
fetch="$TF_BUILD/win/tests/download_fetch_win.exe"
target="Z:$(echo "$work/out/file.bin" | tr / '\\')"

best_curl=0
best_control=0
for round in $(seq "$rounds"); do
    curl_s=$(curl -s -o "$work/out/curl.bin" -w '%{time_total}' "$url")
    rm -f "$work/out/curl.bin"
    read -r state bytes control_s chunks < <("$TF_WINE" "$fetch" "$url" "$target")
    [ "$state" = 9 ] || { echo "the control ended with state $state" >&2; exit 1; }
    cmp -s "$work/out/file.bin" "$work/root/file.bin" || { echo "the download differs" >&2; exit 1; }
    rm -f "$work/out/file.bin"
    curl_rate=$(awk -v b="$bytes" -v s="$curl_s" 'BEGIN { printf "%.1f", b / s / 1048576 }')
    control_rate=$(awk -v b="$bytes" -v s="$control_s" 'BEGIN { printf "%.1f", b / s / 1048576 }')
    echo "round $round: curl $curl_rate MB/s, control $control_rate MB/s ($chunks chunks)"
    best_curl=$(awk -v a="$best_curl" -v b="$curl_rate" 'BEGIN { print (b > a ? b : a) }')
    best_control=$(awk -v a="$best_control" -v b="$control_rate" 'BEGIN { print (b > a ? b : a) }')
done
awk -v c="$best_curl" -v d="$best_control" \
    'BEGIN { printf "best of each: curl %.1f MB/s, control %.1f MB/s, ratio %.2f (goal 0.50)\n", c, d, d / c }'
