#!/usr/bin/env bash
# Makes the seed bitmaps of the bitmap fuzzer with ImageMagick (Debian package
# imagemagick), so that the seeds come from a program other than ORV. Only
# needed to renew corpus/bitmap; the test run uses the committed files.
set -euo pipefail
cd "$(dirname "$0")/corpus/bitmap"
convert=/usr/bin/convert  # the real ImageMagick, not a stand-in elsewhere on PATH

plasma() {  # SIZE SEED DRAWING OUTPUT [OPTION...]
    local size=$1 seed=$2 drawing=$3 output=$4
    shift 4
    "$convert" -seed "$seed" -size "$size" plasma: -fill white -draw "$drawing" -colors 240 -type Palette \
        "$@" "BMP3:$output"
}

# 8-bit, uncompressed and RLE8 (ImageMagick's default for 8-bit BMP3). The
# white rectangles give the RLE8 encoder long runs.
plasma 74x62 1 "rectangle 0,0 73,3" plain-74x62.bmp -compress None
plasma 74x62 1 "rectangle 0,0 73,3" rle-74x62.bmp
plasma 37x31 2 "rectangle 5,5 30,20" plain-37x31.bmp -compress None
plasma 37x31 2 "rectangle 5,5 30,20" rle-37x31.bmp
plasma 100x20 3 "rectangle 10,2 60,8" rle-100x20.bmp
plasma 10x100 4 "rectangle 0,40 9,60" plain-10x100.bmp -compress None
plasma 7x5 5 "point 0,0" plain-7x5.bmp -compress None
plasma 7x5 5 "point 0,0" rle-7x5.bmp
# Other depths, which the loader refuses.
"$convert" -size 9x4 xc:white -fill red -draw "rectangle 0,0 2,1" -fill blue \
    -draw "rectangle 3,2 5,3" -type Palette -compress None BMP3:four-bit-9x4.bmp
"$convert" -seed 6 -size 6x3 plasma: -type TrueColor BMP3:true-colour-6x3.bmp
