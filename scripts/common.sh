# Shared by the scripts: paths and the build steps.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
JOBS=$(nproc)

configure_and_build() {  # NAME [cmake args...]
    local name=$1; shift
    local dir="$BUILD/$name"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >"$BUILD/$name-configure.log" 2>&1 || {
            cat "$BUILD/$name-configure.log" >&2; return 1; }
    fi
    echo "== build $name"
    ninja -C "$dir" -j "$JOBS" | grep -v '^\[' || true
    return "${PIPESTATUS[0]}"
}

build_native() {
    configure_and_build native -DCMAKE_BUILD_TYPE=RelWithDebInfo
}

build_win32() {
    configure_and_build win32 -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DHOST_PKGTOOL="$BUILD/native/bin/pkgtool"
}

build_asan() {
    configure_and_build asan -DCMAKE_BUILD_TYPE=Debug -DENABLE_SANITIZERS=ON
}

build_fuzz() {
    configure_and_build fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENABLE_FUZZING=ON -DBUILD_TESTS=OFF \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
}
