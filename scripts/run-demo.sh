#!/usr/bin/env bash
# Builds the programs and lays out a demo install root in ./demo.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
root="$PWD/demo"
mkdir -p "$root"/VdxFtpServer "$root"/VdxTxtServer/{transfer,log,users} "$root"/VdxInfo/{transfer,log}
echo "Demo install root: $root"
