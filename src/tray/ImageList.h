// SPDX-License-Identifier: MIT
#pragma once

#include "Picture.h"

#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/**
 * A list of images of one size, as the common controls keep them. The tray control uses one only
 * to turn a picture that is not an icon into an icon of the list's size: every picture added is
 * scaled to `imageWidth` x `imageHeight` (nearest pixel), and `ExtractIcon` makes an icon of it.
 */
class ImageList final
{
public:
    int imageWidth() const { return m_width; }
    int imageHeight() const { return m_height; }
    /** Sets the size of the images; only allowed while the list is empty (returns false otherwise). */
    bool setImageSize(int width, int height);

    /**
     * Adds `picture` (its largest image) at `index`, counted from 1; an index past the end adds
     * at the end. Returns false for an index below 1 or a picture without an image.
     */
    bool add(int index, std::string_view key, const Picture& picture);
    /** An icon of the image at `index` (from 1), or none when there is no such item. */
    PicturePtr ExtractIcon(int index) const;
    void clear() { m_items.clear(); }
    int count() const { return static_cast<int>(m_items.size()); }

private:
    struct Item
    {
        std::string key;
        PictureImage image;
    };
    int m_width = 16;
    int m_height = 16;
    std::vector<Item> m_items;
};

/** `source` scaled to `width` x `height` by taking the nearest pixel; an empty source gives transparent pixels. */
PictureImage scaleImage(const PictureImage& source, int width, int height);

} // namespace shiftloom
