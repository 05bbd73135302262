# shellcheck shell=bash
# Shared by the commands in scripts/, bench/ and fuzz/: installs missing Debian packages and
# builds, each step with its output in a log file and a line or two on the terminal.

set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}

BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev libgl-dev libxcb1-dev fonts-wqy-microhei
    qt6-translations-l10n)
TEST_PACKAGES=(xvfb xauth xdotool xclip x11-utils imagemagick libbenchmark-dev)
FUZZ_PACKAGES=(cmake ninja-build clang libclang-rt-14-dev)
BENCH_PACKAGES=(libbenchmark-dev python3)

# A path the way the user reads it best: relative to the repository when it lies inside it.
shown_path() {
    case $1 in
    "$ROOT"/*) echo "${1#"$ROOT"/}" ;;
    *) echo "$1" ;;
    esac
}

# Installs the packages of the arguments that are not installed yet, as root or through sudo.
# apt's output goes to a log file that is kept, and named, only when the installation fails.
install_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    local log
    log=$(mktemp "${TMPDIR:-/tmp}/textcompare-install.XXXXXX")
    echo "installing: ${missing[*]}"
    # sudo drops the environment, so the front end is set on apt-get's side of it.
    if { "${sudo[@]}" apt-get update -qq &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends "${missing[@]}"; } </dev/null >"$log" 2>&1; then
        rm -f "$log"
        return 0
    fi
    tail -n 20 "$log"
    echo "installing failed, log: $log"
    return 1
}

# Configures the build folder DIR from the source folder SOURCE with the given CMake options and
# builds TARGET ("all" for everything). The output goes to DIR/build.log; on failure its end is
# shown and the status is non-zero.
build_in() {
    local dir=$1 source=$2 target=$3
    shift 3
    mkdir -p "$dir"
    local log="$dir/build.log" start=$SECONDS
    echo "building $(shown_path "$dir") (log: $(shown_path "$log"))"
    if cmake -S "$source" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$log" 2>&1 &&
        cmake --build "$dir" -j"$(nproc)" --target "$target" >>"$log" 2>&1; then
        echo "built in $((SECONDS - start)) s"
        return 0
    fi
    tail -n 25 "$log"
    echo "build failed: $(shown_path "$dir"), log: $(shown_path "$log")"
    return 1
}
