#!/usr/bin/env bash
# Builds everything and runs all tests: a normal build, then the tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer (with float-cast-overflow,
# which GCC's "undefined" leaves out), then the change-thread tests under
# ThreadSanitizer. Warnings fail every build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVDX_WERROR=ON >/dev/null
cmake --build build -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVDX_SANITIZE=ON -DVDX_WERROR=ON >/dev/null
cmake --build build-asan -j "$jobs"

# Only the watcher thread's program, which has no Qt: the GUI side hands
# reports through Qt's event queue, whose uninstrumented locking ThreadSanitizer
# cannot see, so it would report races that are none.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVDX_TSAN=ON -DVDX_WERROR=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target change_watch_tests change_thread_tests

echo "== thread sanitizer build =="
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/shell/change_watch_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/controls/change_thread_tests
echo "== sanitizer build =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan -j "$jobs" --timeout 300
echo "== normal build =="
ctest --test-dir build -j "$jobs" --timeout 300
