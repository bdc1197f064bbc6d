#!/usr/bin/env bash
# Builds the programs, installs them into a demo install root (./demo), lays
# out its folders with "Settings.xml" (port 2121, both product switches on)
# and "Users.xml" (an administrator and a teletext user with generated
# passwords, printed below; an existing "Users.xml" is kept), then starts
# VdxFtpServer, or with the argument "useradmin" VdxUserAdmin.
#
#   bash scripts/run-demo.sh             the server; without a display it
#                                        runs on Qt's offscreen platform
#   bash scripts/run-demo.sh useradmin   the user administration; it needs a
#                                        display
set -euo pipefail
cd "$(dirname "$0")/.."

program=server
case "${1:-}" in
"") ;;
useradmin) program=useradmin ;;
*)
    echo "usage: bash scripts/run-demo.sh [useradmin]" >&2
    exit 2
    ;;
esac

have_display() {
    [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]
}

# A desktop program that nobody could see: say so before building anything.
if [ "$program" = useradmin ] && ! have_display; then
    echo "VdxUserAdmin is a desktop program and needs a display, but neither DISPLAY nor" >&2
    echo "WAYLAND_DISPLAY is set. Run this command in a desktop session (or under Xvfb)." >&2
    exit 1
fi

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

if [ "$program" = useradmin ]; then
    echo "Starting VdxUserAdmin on $root: its changes go to $root/VdxFtpServer/Users.xml,"
    echo "$root/VdxTxtServer/users/users.ini and the folders in $root/VdxTxtServer/transfer."
    exec "$root/VdxUserAdmin/VdxUserAdmin"
fi

if ! have_display; then
    export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
fi
echo "Starting VdxFtpServer: ftp://127.0.0.1:$port/ (log: $root/VdxFtpServer/VdxFtpServer.log)"
echo "Stop it with Ctrl+C or by closing its window."
exec "$root/VdxFtpServer/VdxFtpServer"
