#!/usr/bin/env bash
# Renders the main window and the progress dialog of a running transfer into
# docs/screenshots/, under Qt's offscreen platform (no display needed), with a
# simulated device on a pseudo-terminal: no real serial port is opened.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j2 --target orv-screenshots
QT_QPA_PLATFORM=offscreen build/bin/orv-screenshots docs/screenshots
