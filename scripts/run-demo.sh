#!/usr/bin/env bash
# Builds the programs, installs them into a demo install root (./demo), lays
# out its folders with "Settings.xml" (port 2121, both product switches on)
# and "Users.xml" (an administrator and a teletext user with generated
# passwords, printed below; an existing "Users.xml" is kept), then starts
# VdxFtpServer. Without a display it runs on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
# A build folder of its own, without the tests: the demo needs no test
# framework and leaves the test build's settings alone.
build="${VDX_BUILD_DIR:-$PWD/build-demo}"
root="$PWD/demo"
port=2121

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVDX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
cmake --install "$build" --prefix "$root" >/dev/null

echo "Demo install root: $root"
echo "Logins (user password):"
"$build/tools/vdx_demo_root" "$root" --port "$port"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
fi
echo "Starting VdxFtpServer: ftp://127.0.0.1:$port/ (log: $root/VdxFtpServer/VdxFtpServer.log)"
echo "Stop it with Ctrl+C or by closing its window."
exec "$root/VdxFtpServer/VdxFtpServer"
