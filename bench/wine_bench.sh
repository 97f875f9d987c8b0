#!/usr/bin/env bash
# Measurements that need Windows, under Wine in a virtual display: what one watch tick's page read
# costs per kind of browser (page_read_bench_win), and how long Find takes over ten thousand
# records in the real program (find_bench_win), and how long the import's preview of ten thousand
# rows takes to come up (import_preview_bench_win), and how long the main window takes to lay itself
# out again at another scaling over ten thousand records (dpi_change_bench_win). Prints the figures;
# asserts nothing.
#   bench/wine_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/common.sh

tf_build_win --target page_read_bench_win find_bench_win import_preview_bench_win dpi_change_bench_win >/dev/null
trap tf_stop_wine EXIT
tf_prepare_prefix run >/dev/null
tf_start_wine virtual
for bench in page_read_bench_win find_bench_win import_preview_bench_win dpi_change_bench_win; do
    tf_say "$bench"
    "$TF_WINE" "$TF_BUILD/win/tests/$bench.exe" | grep -v '^\[' || true
done
