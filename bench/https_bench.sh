#!/usr/bin/env bash
# The fixed cost of HTTPS under Wine: one small file fetched by the download control over plain HTTP
# and over HTTPS (a certificate from a test CA made for this run, trusted by the system while the
# bench runs: tests/fixtures/make_test_certs.sh), each fetch a process of its own as velnor's is.
# Prints the median of each. Needs root.
#   bench/https_bench.sh [rounds, default 9] [size in bytes, default 1024]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/common.sh
rounds=${1:-9}
size=${2:-1024}

tf_build_win --target download_fetch_win >/dev/null
work=$(mktemp -d)
cleanup() {
    for name in http https; do
        [ -f "$work/$name.pid" ] && python3 tests/fixtures/http_server.py --stop "$work/$name.pid"
    done
    tf_stop_wine
    bash tests/fixtures/make_test_certs.sh --remove "$work/tls"
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root" "$work/out"
head -c "$size" /dev/urandom >"$work/root/file.bin"
bash tests/fixtures/make_test_certs.sh "$work/tls" 2>/dev/null
python3 tests/fixtures/http_server.py --root "$work/root" --port-file "$work/http.port" --pid-file "$work/http.pid" \
    --idle-exit 120 --detach
python3 tests/fixtures/http_server.py --root "$work/root" --port-file "$work/https.port" --pid-file "$work/https.pid" \
    --idle-exit 120 --detach --tls-cert "$work/tls/server.pem" --tls-key "$work/tls/server.key"

tf_prepare_prefix run >/dev/null
tf_start_wine virtual
fetch="$TF_BUILD/win/tests/download_fetch_win.exe"
target="Z:$(echo "$work/out/file.bin" | tr / '\\')"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
for round in $(seq "$rounds"); do
    for scheme in http https; do
        url="$scheme://127.0.0.1:$(cat "$work/$scheme.port")/file.bin"
        read -r state _ seconds _ < <("$TF_WINE" "$fetch" "$url" "$target")
        [ "$state" = 9 ] || { echo "$scheme: the control ended with state $state" >&2; exit 1; }
        cmp -s "$work/out/file.bin" "$work/root/file.bin" || { echo "$scheme: the download differs" >&2; exit 1; }
        rm -f "$work/out/file.bin"
        echo "$seconds" >>"$work/$scheme.times"
    done
done
http_ms=$(median <"$work/http.times" | awk '{ printf "%.1f", $1 * 1000 }')
https_ms=$(median <"$work/https.times" | awk '{ printf "%.1f", $1 * 1000 }')
echo "median of $rounds fetches of $size bytes: http $http_ms ms, https $https_ms ms"
echo "http all (s): $(tr '\n' ' ' <"$work/http.times")"
echo "https all (s): $(tr '\n' ' ' <"$work/https.times")"
