# Shared by the scripts: paths and the build steps.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
JOBS=$(nproc)

configure_and_build() {  # NAME [cmake args...]; NINJA_TARGETS: what to build (default: all)
    local name=$1; shift
    local dir="$BUILD/$name"
    # Configured again when the arguments changed (a machine that can or
    # cannot run 32-bit programs gives other options).
    if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$dir/.configure-args" 2>/dev/null)" != "$*" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >"$BUILD/$name-configure.log" 2>&1 || {
            cat "$BUILD/$name-configure.log" >&2; return 1; }
        echo "$*" >"$dir/.configure-args"
    fi
    echo "== build $name"
    # Progress lines are left out; errors and warnings are shown. The status
    # is ninja's own, taken before anything else runs: a grep that printed
    # nothing must not turn a killed build into a finished one.
    # shellcheck disable=SC2086
    ninja -C "$dir" -j "$JOBS" ${NINJA_TARGETS:-} | { grep -v '^\[' || true; }
    local status=${PIPESTATUS[0]}
    [ "$status" -eq 0 ] || echo "build $name FAILED (ninja exit $status)" >&2
    return "$status"
}

build_native() {
    configure_and_build native -DCMAKE_BUILD_TYPE=RelWithDebInfo
}

. "$ROOT/tests/support/wine/wine-env.sh"

# The shipped 32-bit tree. Its Wine suites are always registered (label
# "wine"); on a machine whose kernel runs no 32-bit programs scripts/test
# counts them as skipped and runs them in the win64 tree instead.
build_win32() {
    configure_and_build win32 -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DHOST_PKGTOOL="$BUILD/native/bin/pkgtool" \
        -DOLDER_INSTALLER="$BUILD/win32-older/bin/TrovalisInstallV7.exe"
}

# The installer alone, built from the same sources at an older version, for
# the tests that install one version over another.
OLDER_VERSION=7.0.0
build_win32_older() {
    NINJA_TARGETS=TrovalisInstallV7 configure_and_build win32-older -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DHOST_PKGTOOL="$BUILD/native/bin/pkgtool" -DPRODUCT_VERSION=$OLDER_VERSION -DBUILD_TESTS=OFF
}

# The same sources for 64-bit Windows: the stand-in where 32-bit programs
# cannot run, and a second set of shipped images for the image checks.
build_win64() {  # NINJA_TARGETS as for configure_and_build
    configure_and_build win64 -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" \
        -DHOST_PKGTOOL="$BUILD/native/bin/pkgtool" -DWINE_X86_PREFIX=OFF
}

build_asan() {
    configure_and_build asan -DCMAKE_BUILD_TYPE=Debug -DENABLE_SANITIZERS=ON
}

build_fuzz() {
    configure_and_build fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENABLE_FUZZING=ON -DBUILD_TESTS=OFF \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
}
