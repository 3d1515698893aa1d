#!/bin/sh
# installed_icons.sh HICOLOR_FOLDER APP_ID: the scalable icon and a PNG of each size.
set -e
test -s "$1/scalable/apps/$2.svg"
for size in 16 22 24 32 48 64 128 256; do
    file "$1/${size}x${size}/apps/$2.png" | grep -q "PNG image data, $size x $size," || { echo "no $size px PNG"; exit 1; }
done
