#!/usr/bin/env bash
# Serves the same files from tmpfs with our test host, vsftpd and pure-ftpd, one after the other
# on 127.0.0.1 and high ports, and prints each server's figures (the median of RUNS rounds, each
# round running the three servers in turn) and the ratio ours/theirs.
# Not a test and not run by CI: it needs several GiB of /dev/shm and a few minutes per round.
# A busy machine shows in every figure: compare the servers of one run, not runs of two days.
#
#   bench/ftp_bench.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR holds a built ftp_testhost and served_users (default: build-bench, configured as
# Release and built when missing); RUNS defaults to 3. The peers: vsftpd and pure-ftpd conflict as
# installed packages, so both are fetched with apt-get download and unpacked into the work folder,
# never installed. Without access to the package mirror, the installed ones are used
# (apt-get install vsftpd, or pure-ftpd, as root); a peer found neither way is left out.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${1:-$repo/build-bench}
runs=${2:-3}
if [[ ! -x $build/tests/served/ftp_testhost || ! -x $build/tests/served/served_users ]]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --target ftp_testhost served_users >/dev/null
fi

work=$(mktemp -d /dev/shm/vdx-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pkgs/root" "$work/files"
(cd "$work/pkgs" && apt-get download vsftpd pure-ftpd libwrap0 >/dev/null 2>&1) || true
for deb in "$work"/pkgs/*.deb; do
    if [[ -e $deb ]]; then dpkg -x "$deb" "$work/pkgs/root"; fi
done
root=$work/pkgs/root
declare -A sbin bin libs
servers=(ours)
for peer in vsftpd:vsftpd pureftpd:pure-ftpd; do
    name=${peer%%:*} program=${peer#*:}
    if [[ -x $root/usr/sbin/$program ]]; then
        sbin[$name]=$root/usr/sbin bin[$name]=$root/usr/bin
        libs[$name]=$root/lib/x86_64-linux-gnu:$root/usr/lib/x86_64-linux-gnu
    elif [[ -x /usr/sbin/$program ]]; then
        sbin[$name]=/usr/sbin bin[$name]=/usr/bin libs[$name]=
    else
        echo "$program: not found; allow apt-get download or run: apt-get install $program" >&2
        continue
    fi
    servers+=("$name")
done

head -c 1G /dev/urandom >"$work/files/big.bin"
chmod 644 "$work/files/big.bin"
chmod 755 "$work" "$work/files"

# The connections of a server's run linger in TIME_WAIT for a minute; thousands of them slow the
# next server's connects and passive listens, so every server waits for them to go first.
settle() {
    local deadline=$((SECONDS + 70))
    while ((SECONDS < deadline)) && (($(ss -tan state time-wait | wc -l) > 2000)); do
        sleep 2
    done
}

for ((run = 1; run <= runs; ++run)); do
    # Each round starts with the next server, so that none always comes first or last.
    order=()
    for ((i = 0; i < ${#servers[@]}; ++i)); do
        order+=("${servers[(i + run - 1) % ${#servers[@]}]}")
    done
    for server in "${order[@]}"; do
        settle
        echo "== round $run of $runs: $server" >&2
        if ! python3 "$here/ftp_bench.py" --server "$server" --work "$work" --files "$work/files" \
            --host "$build/tests/served/ftp_testhost" --users "$build/tests/served/served_users" \
            --sbin "${sbin[$server]:-}" --bin "${bin[$server]:-}" --libs "${libs[$server]:-}" \
            >"$work/$server.$run.json" 2>"$work/$server.err"; then
            echo "$server failed:" >&2
            tail -5 "$work/$server.err" >&2
        fi
        grep -c "session\|login:" "$work/$server.err" >&2 || true
        rm -rf "${work:?}/$server"
    done
done

list() { local IFS=,; echo "$*"; }
python3 "$here/bench_report.py" "$(list "$work"/ours.*.json)" \
    "$(list "$work"/vsftpd.*.json)" "$(list "$work"/pureftpd.*.json)"
