#!/usr/bin/env bash
# Renders the main window (with a file armed, and in large type), the icon
# properties dialog (for a bitmap and for a photo), the progress dialog of a
# running transfer, the keyboard overlay editor and demonstration mode during
# a save into docs/screenshots/,
# and the program's icon at its installed sizes into resources/icons/, under
# Qt's offscreen platform (no display needed), with a simulated device on a
# pseudo-terminal and a throw-away profile: no real serial port is opened and
# the user's settings are not touched.
#
#   scripts/screenshots.sh            (builds in build/; BUILD_DIR=... for another tree)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
fi
cmake --build "$build" -j2 --target orv-screenshots
QT_QPA_PLATFORM=offscreen "$build/bin/orv-screenshots" docs/screenshots
# The program's icon at the sizes it is installed in, drawn by the same code.
QT_QPA_PLATFORM=offscreen "$build/bin/orv-screenshots" --icons resources/icons
