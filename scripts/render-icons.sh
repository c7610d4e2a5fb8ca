#!/usr/bin/env bash
# Renders the program icon from its SVG sources into the PNGs of the hicolor theme and the Windows
# icon file, all under share/icons/. The outputs are committed, so a build never needs this script;
# run it after changing the artwork. Needs rsvg-convert (Debian package librsvg2-bin) and python3.
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

# The Windows icon: six images, 32 x 32, 48 x 48 and four of 16 x 16, each in 24-bit colour with
# a 1-bit transparency mask. Pixels less than half opaque become transparent; the others are
# blended over the button-face grey, since 24-bit colour has no partial transparency.
python3 - "$icons/hicolor" "$icons/shift-loom.ico" "$name" <<'PYTHON'
import struct
import sys
import zlib

hicolor, out_path, name = sys.argv[1], sys.argv[2], sys.argv[3]


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
    """One image of an .ico file: BITMAPINFOHEADER, 24-bit colour rows and the AND mask, bottom up."""
    backdrop = (0xC0, 0xC0, 0xC0)
    colour_stride = (width * 3 + 3) & ~3
    mask_stride = ((width + 31) // 32) * 4
    colour, mask = b'', b''
    for row in reversed(rows):
        line, bits = bytearray(), bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            if a < 128:
                line += b'\x00\x00\x00'
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                blend = [(c * a + k * (255 - a)) // 255 for c, k in zip((r, g, b), backdrop)]
                line += bytes((blend[2], blend[1], blend[0]))
        colour += bytes(line) + b'\x00' * (colour_stride - len(line))
        mask += bytes(bits)
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 24, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


sizes = [32, 48, 16, 16, 16, 16]
images = []
for size in sizes:
    width, height, rows = read_png(f'{hicolor}/{size}x{size}/apps/{name}.png')
    images.append((width, height, icon_image(width, height, rows)))

out = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for width, height, body in images:
    out += struct.pack('<BBBBHHII', width % 256, height % 256, 0, 0, 1, 24, len(body), offset)
    offset += len(body)
for _, _, body in images:
    out += body
open(out_path, 'wb').write(out)
PYTHON

echo "render-icons: wrote $icons/hicolor/*/apps/$name.* and $icons/shift-loom.ico"
