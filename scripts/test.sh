#!/usr/bin/env bash
# Builds everything and runs all tests: a normal build, then the tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer (with float-cast-overflow,
# which GCC's "undefined" leaves out), then the test programs without Qt under
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

# The programs without Qt whose threads share state: the change watcher, the
# FTP component's connection threads, the server with its log writer, users
# table and case index (also as the host the served scripts drive), and the
# os layer. The Qt programs stay out: Qt's event queue hands over through
# locking that ThreadSanitizer cannot see, so it would report races that are none.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVDX_TSAN=ON -DVDX_WERROR=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target change_watch_tests change_thread_tests os_tests ftp_server_tests \
    ftp_client_tests ftp_unit_tests ftpengine_tests served_datamodule_tests ftp_testhost served_users

echo "== thread sanitizer build =="
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/shell/change_watch_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/controls/change_thread_tests
# Left out: the fuzz target (built for AddressSanitizer only) and three tests
# of time bounds (1,100 connections greeted within 5 s, peers cut off after
# 500 ms, a slow download kept past a 300 ms data timeout), which the
# sanitizer's slowdown breaks; their threads run in the other tests here.
tsan_skip='^(FtpFuzz|HostileTest\.BurstOfConnections|HostileTest\.SlowAndDeafPeers|RawServerTest\.SlowButSteady)'
for dir in tests/os tests/ftp tests/ftpengine tests/served; do
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
        ctest --test-dir "build-tsan/$dir" -j "$jobs" --timeout 300 -E "$tsan_skip"
done
echo "== sanitizer build =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan -j "$jobs" --timeout 300
echo "== normal build =="
ctest --test-dir build -j "$jobs" --timeout 300
