# Shared by tools/test and tools/run: packages, builds, the Wine prefix and the virtual display.
# shellcheck shell=bash

TF_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TF_BUILD=${TF_BUILD:-$TF_ROOT/build}
TF_WINE=/usr/lib/wine/wine64
TF_WINESERVER=/usr/lib/wine/wineserver
TF_PACKAGES=(cmake ninja-build g++ python3 googletest libgtest-dev libbenchmark-dev clang-format
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 wine64 xvfb xauth fonts-wine
    fonts-wqy-microhei imagemagick x11-utils curl openssl ca-certificates clang libclang-rt-14-dev
    libgcrypt20-dev libgcrypt-mingw-w64-dev python3-cryptography python3-argon2)

tf_say() { printf '== %s\n' "$*"; }

tf_install_missing() {
    local missing=()
    for p in "${TF_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    tf_say "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

tf_build_host() {
    cmake -S "$TF_ROOT" -B "$TF_BUILD/host" -G Ninja >/dev/null
    cmake --build "$TF_BUILD/host"
}

tf_build_win() {
    cmake -S "$TF_ROOT" -B "$TF_BUILD/win" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TF_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$TF_BUILD/win" "$@"
}

# The fuzz targets (fuzz/*_fuzz.cpp) with clang's libFuzzer, AddressSanitizer and UBSan.
tf_build_fuzz() {
    CC=clang CXX=clang++ cmake -S "$TF_ROOT" -B "$TF_BUILD/fuzz" -G Ninja -DTF_FUZZ=ON >/dev/null
    cmake --build "$TF_BUILD/fuzz" "$@"
}

# Runs every fuzz target for this many seconds, one after the other. New inputs that reach new code
# gather in build/fuzz/corpus (the seeds in fuzz/corpus stay as they are); an input that crashes a
# target is left in build/fuzz/crashes and named. Prints one line per target and counts them in
# fuzz_passed and fuzz_failed; returns 1 when any target failed.
tf_run_fuzzers() {
    local seconds=$1 rc=0 target name log runs status input
    fuzz_passed=0
    fuzz_failed=0
    mkdir -p "$TF_BUILD/fuzz/crashes"
    for target in "$TF_BUILD"/fuzz/*_fuzz; do
        name=$(basename "$target" _fuzz)
        log=$TF_BUILD/fuzz/$name.log
        mkdir -p "$TF_BUILD/fuzz/corpus/$name"
        # -rss_limit_mb bounds what one input may make a parser allocate; a time-out is a failure too.
        "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
            -artifact_prefix="$TF_BUILD/fuzz/crashes/$name-" \
            "$TF_BUILD/fuzz/corpus/$name" "$TF_ROOT/fuzz/corpus/$name" >"$log" 2>&1
        status=$?
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
        if [ "$status" -eq 0 ]; then
            printf 'fuzz %-20s passed: %s inputs in %s s\n' "$name" "${runs:-?}" "$seconds"
            fuzz_passed=$((fuzz_passed + 1))
        else
            input=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
            printf 'fuzz %-20s FAILED after %s inputs; the input: %s\n' "$name" "${runs:-?}" "$input"
            grep -E 'ERROR|property failed|SUMMARY' "$log" | head -n 5
            # The input in the log too, for a run whose folder does not outlive it (CI).
            [ -f "$input" ] && od -An -c "$input" | head -n 8
            fuzz_failed=$((fuzz_failed + 1))
            rc=1
        fi
    done
    return $rc
}

# What the maker's server serves for one release of the main program, written into a folder: the
# program (files/), the version text (version/form/new.txt) and the release description
# (version/form/config.txt) whose statement is signed with the private key given.
#   tf_write_release FOLDER PROGRAM VERSION-TEXT SERVER-ADDRESS KEY.pem
tf_write_release() {
    local folder=$1 program=$2 version=$3 server=$4 key=$5 signed size
    mkdir -p "$folder/version/form" "$folder/files"
    # The signature covers the file name, the version, the size and the SHA-256 (tools/lib/sign_release.py).
    signed=$(python3 "$TF_ROOT/tools/lib/sign_release.py" --key "$key" --name "Tamborvin Form.exe" \
        --version "$version" --copy-from "$program" "$folder/files/Tamborvin Form.exe") || return 1
    size=$(numfmt --to=iec --suffix=B "$(stat -c %s "$folder/files/Tamborvin Form.exe")")
    printf '%s' "$version" >"$folder/version/form/new.txt"
    printf '%s|%s|%s|%s|%s|%s' "$server/files/Tamborvin%20Form.exe" "Tamborvin Form.exe" "Tamborvin Form $version" \
        "$size" "$version" "$signed" >"$folder/version/form/config.txt"
}

# The version text of a Windows build ("v1.0"), from the header its version resources are made from.
tf_version_of() {  # the build's version folder (build/win/version or version-next)
    printf 'v%s' "$(sed -n 's/^#define TF_VERSION_TEXT "\(.*\)"$/\1/p' "$1/tf_version.h")"
}

# A prepared prefix is made once per build folder and copied: afresh for every test run, so each
# starts from the same registry and files ("run"), or once and then kept ("user", for tools/run).
tf_prepare_prefix() {
    local name=${1:-run}
    local template=$TF_BUILD/wine/template
    if [ ! -f "$template/.tf-ready" ]; then
        tf_say "preparing a Wine prefix (once per build folder)"
        rm -rf "$template"
        mkdir -p "$template"
        (
            export WINEPREFIX=$template WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
            "$TF_WINE" wineboot -i >/dev/null 2>&1
            # No window manager here: unmanaged windows hide in milliseconds instead of two seconds.
            "$TF_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
            # A crash must end the test, not wait on a dialog nobody closes.
            "$TF_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
            # Chinese text drawn in the dialog fonts falls back to the CJK font, as on Windows.
            local face
            for face in Tahoma "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
                "$TF_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
                    /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
            done
            # Edit controls shape Chinese text with SimSun, which the prefix does not have.
            "$TF_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /t REG_SZ \
                /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
            "$TF_WINESERVER" -w
        )
        # Tahoma and Marlett for the window frames, a CJK font for the Chinese texts.
        cp /usr/share/wine/fonts/* "$template/drive_c/windows/Fonts/"
        cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$template/drive_c/windows/Fonts/"
        touch "$template/.tf-ready"
    fi
    if [ "$name" = run ] || [ ! -d "$TF_BUILD/wine/$name" ]; then
        rm -rf "$TF_BUILD/wine/$name"
        cp -a "$template" "$TF_BUILD/wine/$name"
    fi
    export WINEPREFIX=$TF_BUILD/wine/$name
}

TF_XVFB_PID=""

# One X display and one wineserver for everything that runs until tf_stop_wine. The display is
# 1280 x 1024 unless TF_SCREEN says another (WIDTHxHEIGHTxDEPTH).
tf_start_wine() {
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -z "${DISPLAY:-}" ] || [ "${1:-}" = virtual ]; then
        local fifo
        fifo=$(mktemp -u)
        mkfifo "$fifo"
        setsid Xvfb -displayfd 3 -screen 0 "${TF_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
        TF_XVFB_PID=$!
        local num
        read -r -t 20 num <"$fifo" || { echo "Xvfb did not start" >&2; rm -f "$fifo"; return 1; }
        rm -f "$fifo"
        export DISPLAY=":$num"
    fi
    setsid "$TF_WINESERVER" -p >/dev/null 2>&1 </dev/null &
    # Wait until the server answers, so the first program does not start a server of its own.
    local inode
    inode=$(stat -c '%d-%i' "$WINEPREFIX" | awk -F- '{printf "%x-%x", $1, $2}')
    for _ in $(seq 100); do
        # Debian's Wine keeps the server folder in /tmp/wine-XXXXXX, upstream's in /tmp/.wine-UID.
        compgen -G "/tmp/*wine-*/server-$inode/socket" >/dev/null && break
        sleep 0.05
    done
    # Start Wine's own services now, away from any test's output: a service that inherited a
    # test's output pipe would keep CTest waiting for its end.
    setsid "$TF_WINE" wineboot >/dev/null 2>&1 </dev/null
    # The desktop's process too: started on demand by the first program that makes a window, it
    # would inherit that test's output pipe (CTest then waits for it until the run's end), or die
    # with the job of a program a test started and be started again by the next.
    setsid "$TF_WINE" explorer.exe /desktop >/dev/null 2>&1 </dev/null &
    for _ in $(seq 100); do
        pgrep -f 'explorer.exe /desktop' >/dev/null && break
        sleep 0.05
    done
}

tf_stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && "$TF_WINESERVER" -k >/dev/null 2>&1
    [ -n "${WINEPREFIX:-}" ] && "$TF_WINESERVER" -w >/dev/null 2>&1
    if [ -n "$TF_XVFB_PID" ]; then
        kill "$TF_XVFB_PID" 2>/dev/null
        wait "$TF_XVFB_PID" 2>/dev/null
        TF_XVFB_PID=""
    fi
    return 0
}
