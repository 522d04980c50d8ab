#!/usr/bin/env bash
# Runs the benchmarks of this tree and of an earlier revision side by side:
# both built in Release, the earlier one with this tree's benchmark programs
# copied in; each round then runs both, in an order that alternates, so that
# the load of the machine falls on both alike.
#
#   scripts/bench-compare.sh [REVISION [ROUNDS [RECORDS]]]   (main, 3, 30000)
set -euo pipefail
cd "$(dirname "$0")/.."
revision="${1:-main}"
rounds="${2:-3}"
records="${3:-30000}"
after=build/bench
base=build/bench-base
release=(-DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF)
if command -v ccache > /dev/null; then
    release+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

if [ ! -d "$base/src" ]; then
    git worktree add --detach "$base/src" "$revision" > /dev/null
else
    git -C "$base/src" checkout --quiet --force --detach "$revision"
fi
rm -rf "$base/src/tools/bench" "$base/src/tools/bench-gui"
cp -r tools/bench tools/bench-gui "$base/src/tools/"
if ! grep -q 'tools/bench-gui' "$base/src/CMakeLists.txt"; then
    sed -i 's|^    add_subdirectory(tools/screenshots)$|&\n    add_subdirectory(tools/bench-gui)|' \
        "$base/src/CMakeLists.txt"
fi

for tree in "$base/src:$base/build" ".:$after"; do
    log="${tree##*:}/bench-build.log"
    mkdir -p "${tree##*:}"
    if ! { cmake -S "${tree%%:*}" -B "${tree##*:}" "${release[@]}" &&
        cmake --build "${tree##*:}" -j2 --target orv-bench orv-bench-gui; } > "$log" 2>&1; then
        tail -n 30 "$log"
        exit 1
    fi
done

export QT_QPA_PLATFORM=offscreen
for round in $(seq "$rounds"); do
    echo "round $round"
    for program in orv-bench orv-bench-gui; do
        # The second of two runs in a row tends to come out faster: the order
        # alternates from round to round.
        if ((round % 2)); then
            order="before after"
        else
            order="after before"
        fi
        for side in $order; do
            if [ "$side" = before ]; then
                bin="$base/build/bin"
            else
                bin="$after/bin"
            fi
            "$bin/$program" --records "$records" 2> /dev/null | sed "s/^/  $(printf '%-6s' "$side") /"
        done
    done
done
