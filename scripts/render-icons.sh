#!/usr/bin/env bash
# Renders the program icon from its SVG sources into the PNGs of the hicolor theme, the Windows
# icon file and the raw images the Linux panel embeds (8-bit RGBA rows, top down, no header: read
# without an image decoder), all under share/icons/. The outputs are committed, so a build never
# needs this script; run it after changing the artwork. Needs rsvg-convert (Debian package
# librsvg2-bin) and python3.
# Usage: scripts/render-icons.sh
set -euo pipefail
cd "$(dirname "$0")/.."

icons=share/icons
name=com.ovix.ShiftLoom
command -v rsvg-convert >/dev/null || { echo "render-icons: rsvg-convert missing (apt-get install librsvg2-bin)" >&2; exit 1; }

for size in 16 24 32 48 64 128; do
    source=$icons/shift-loom.svg
    # The 16-pixel artwork is drawn on its own pixel grid; the other sizes scale the full one.
    if [ "$size" -eq 16 ]; then source=$icons/shift-loom-16.svg; fi
    mkdir -p "$icons/hicolor/${size}x${size}/apps"
    rsvg-convert --width "$size" --height "$size" --format png "$source" \
        --output "$icons/hicolor/${size}x${size}/apps/$name.png"
done
mkdir -p "$icons/hicolor/scalable/apps"
cp "$icons/shift-loom.svg" "$icons/hicolor/scalable/apps/$name.svg"

# The Windows icon: an image for every size Windows asks for at the common display scales (16, 20,
# 24, 32, 40, 48, 64, 96, 128 and 256 pixels), each in 32-bit colour with its alpha channel (and
# the 1-bit mask older readers want); the 256-pixel one as PNG, as Windows keeps that size. The
# 16-pixel artwork serves 16 and 20 pixels; the full one the rest.
extra=$(mktemp -d)
trap 'rm -rf "$extra"' EXIT
for size in 20 40 96 256; do
    source=$icons/shift-loom.svg
    if [ "$size" -eq 20 ]; then source=$icons/shift-loom-16.svg; fi
    rsvg-convert --width "$size" --height "$size" --format png "$source" --output "$extra/$size.png"
done
mkdir -p "$icons/rgba"
python3 - "$icons/hicolor" "$extra" "$icons/shift-loom.ico" "$name" "$icons/rgba" <<'PYTHON'
import struct
import sys
import zlib

hicolor, extra, out_path, name, rgba = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]


def read_png(path):
    """Decodes an 8-bit RGBA, non-interlaced PNG (what rsvg-convert writes) into rows of RGBA tuples."""
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path
    pos, idat = 8, b''
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            assert depth == 8 and colour == 6 and interlace == 0, (path, depth, colour, interlace)
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 4
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up = previous[i]
            up_left = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else up_left)
                line[i] = (line[i] + predictor) & 0xFF
        rows.append([tuple(line[x * 4:x * 4 + 4]) for x in range(width)])
        previous = line
    return width, height, rows


def icon_image(width, height, rows):
    """One image of an .ico file: BITMAPINFOHEADER, 32-bit BGRA rows and the AND mask, bottom up."""
    mask_stride = ((width + 31) // 32) * 4
    colour, mask = b'', b''
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


sources = {size: f'{hicolor}/{size}x{size}/apps/{name}.png' for size in (16, 24, 32, 48, 64, 128)}
sources.update({size: f'{extra}/{size}.png' for size in (20, 40, 96, 256)})
images = []
for size in sorted(sources):
    if size == 256:
        body = open(sources[size], 'rb').read()  # PNG, as it is
    else:
        width, height, rows = read_png(sources[size])
        assert (width, height) == (size, size), sources[size]
        body = icon_image(width, height, rows)
    images.append((size, body))

out = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, body in images:
    out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(body), offset)
    offset += len(body)
for _, body in images:
    out += body
open(out_path, 'wb').write(out)

for size in (16, 24, 32, 48, 64):
    width, height, rows = read_png(sources[size])
    open(f'{rgba}/{size}x{size}.rgba', 'wb').write(b''.join(bytes(pixel) for row in rows for pixel in row))
PYTHON

echo "render-icons: wrote $icons/hicolor/*/apps/$name.*, $icons/shift-loom.ico and $icons/rgba/*.rgba"
