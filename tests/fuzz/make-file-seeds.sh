#!/usr/bin/env bash
# Makes the seeds of the memory-file, file-report, overlay and sound fuzzers from
# files the program itself writes: memory files the engine saved from the
# simulated device through orv-cli, the import files orv-cli prepares, overlay
# files from the overlay writer, and sounds written by Python's wave module.
# Only needed to renew the seeds; the test run uses the committed files.
#
#   tests/fuzz/make-file-seeds.sh TEST_BUILD FUZZ_BUILD
#     TEST_BUILD: a test build tree with orv-cli and orv-devsim (build/test)
#     FUZZ_BUILD: the fuzz build tree, whose overlay library writes the overlays (build/fuzz)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
test_build=$(cd "${1:?TEST_BUILD}" && pwd)
fuzz_build=$(cd "${2:?FUZZ_BUILD}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"  # never the user's own profile
cd "$work"

# A save from the simulated device: MODEL OPERATION RECORDS OUTPUT [DEVICE OPTION...]
save() {
    local model=$1 op=$2 records=$3 output=$4
    shift 4
    "$test_build/bin/orv-devsim" --model "$model" --op "$op" --sample "$records" \
        --wait-open 5000 "$@" > port.txt &
    local device=$!
    while [ ! -s port.txt ]; do sleep 0.05; done
    "$test_build/bin/orv-cli" --port "$(head -n 1 port.txt)" --model "$model" save "$output" > /dev/null
    wait "$device"
    rm port.txt
}
save Mirelda S 30 mirelda.ORV
save Corvane S 12 corvane.ORV --seed 4
save Quenlow s 20 quenlow.ORV --lf-only --bad-checksum 3
save Fennimar O 10 fennimar.txt

python3 - <<'EOF'
import math, wave
for name, rate, frames, width in (("beep.wav", 8000, 120, 1), ("chirp.wav", 11025, 90, 2)):
    with wave.open(name, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(width)
        w.setframerate(rate)
        data = bytearray()
        for i in range(frames):
            v = math.sin(2 * math.pi * (440 + 8 * i) * i / rate)
            data += (int(127 + 120 * v).to_bytes(1, "little") if width == 1
                     else int(20000 * v).to_bytes(2, "little", signed=True))
        w.writeframes(bytes(data))
EOF
"$test_build/bin/orv-cli" import-sound --prepare-only beep.wav > /dev/null
mv "Sound File to Import.ORV" sound-import.ORV
"$test_build/bin/orv-cli" import-icons --prepare-only --stretch \
    "$here/corpus/bitmap/plain-7x5.bmp=DOT" "$here/corpus/bitmap/rle-37x31.bmp=SUN" > /dev/null
mv "Icons to Import.ORV" icon-import.ORV

# Overlays through the program's own writer.
clang++ -std=c++20 -fsanitize=address,undefined,fuzzer-no-link -I "$root/src" -x c++ - -x none \
    "$fuzz_build/src/overlay/liborv_overlay.a" "$fuzz_build/src/core/liborv_core.a" \
    -o write-overlays <<'EOF'
#include <cstdio>
#include <string>
#include "overlay/OverlayFile.h"
int main() {
    const char* texts[][3] = {{"Hello", "Yes\rplease", "No"}, {"", "", ""},
                              {"A very long key text that fills all sixty-three bytes of a cell!", "\x01\x7f", "x"}};
    for (int f = 0; f < 3; ++f) {
        orv::OverlayCells cells;
        for (int k = 0; k < 3; ++k) {
            std::string t = texts[f][k];
            for (size_t i = 0; i < t.size() && i < 63; ++i) {
                cells.Cell(k * 11 % 32)[i] = static_cast<uint8_t>(t[i]);
            }
        }
        std::string name = "overlay" + std::to_string(f) + ".ORV";
        std::fclose(std::fopen(name.c_str(), "wb"));  // the writer writes only over a file
        if (!orv::WriteOverlayFile(name, cells).Ok()) {
            return 1;
        }
    }
    return 0;
}
EOF
./write-overlays

replace() {  # CORPUS FILE...
    local corpus="$here/corpus/$1"
    shift
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp "$@" "$corpus/"
}
memory=(mirelda.ORV corvane.ORV quenlow.ORV fennimar.txt sound-import.ORV icon-import.ORV)
replace memfile "${memory[@]}"
replace filereport "${memory[@]}" overlay0.ORV overlay2.ORV
replace overlay overlay0.ORV overlay1.ORV overlay2.ORV
replace sound beep.wav chirp.wav
