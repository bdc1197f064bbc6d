#!/usr/bin/env bash
# Serves the same files from tmpfs with our test host, vsftpd and pure-ftpd, one after the other
# on 127.0.0.1 and high ports, and prints each server's figures and the ratio ours/theirs.
# Not a test and not run by CI: it needs several GiB of /dev/shm and a few minutes.
#
#   bench/ftp_bench.sh [BUILD_DIR]
#
# BUILD_DIR holds a built ftp_testhost and served_users (default: build-bench, configured as
# Release and built when missing). vsftpd and pure-ftpd conflict as installed packages, so both
# are fetched with apt-get download and unpacked into the work folder, never installed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${1:-$repo/build-bench}
if [[ ! -x $build/tests/served/ftp_testhost || ! -x $build/tests/served/served_users ]]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --target ftp_testhost served_users >/dev/null
fi

work=$(mktemp -d /dev/shm/vdx-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pkgs" "$work/files"
(cd "$work/pkgs" && apt-get download vsftpd pure-ftpd libwrap0 >/dev/null 2>&1)
for deb in "$work"/pkgs/*.deb; do
    dpkg -x "$deb" "$work/pkgs/root"
done
root=$work/pkgs/root
libs=$root/lib/x86_64-linux-gnu:$root/usr/lib/x86_64-linux-gnu

head -c 1G /dev/urandom >"$work/files/big.bin"
chmod 644 "$work/files/big.bin"
chmod 755 "$work" "$work/files"

for server in ours vsftpd pureftpd; do
    echo "== $server" >&2
    if ! python3 "$here/ftp_bench.py" --server "$server" --work "$work" --files "$work/files" \
        --host "$build/tests/served/ftp_testhost" --users "$build/tests/served/served_users" \
        --sbin "$root/usr/sbin" --bin "$root/usr/bin" --libs "$libs" \
        >"$work/$server.json" 2>"$work/$server.err"; then
        echo "$server failed:" >&2
        tail -5 "$work/$server.err" >&2
    fi
    grep -c "session\|login:" "$work/$server.err" >&2 || true
    rm -rf "${work:?}/$server"
done

python3 "$here/bench_report.py" "$work/ours.json" "$work/vsftpd.json" "$work/pureftpd.json"
