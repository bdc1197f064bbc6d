#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    g++ clang cmake ninja-build pkg-config \
    libgtest-dev libgmock-dev \
    libxml2-dev zlib1g-dev libssl-dev \
    qt6-base-dev libgl-dev \
    fonts-dejavu-core fonts-liberation fonts-wine locales \
    python3 curl lftp procps >/dev/null
