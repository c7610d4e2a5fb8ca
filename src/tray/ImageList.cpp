// SPDX-License-Identifier: MIT
#include "ImageList.h"

#include <algorithm>

namespace shiftloom {

PictureImage scaleImage(const PictureImage& source, int width, int height)
{
    PictureImage out;
    out.width = width;
    out.height = height;
    out.argb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    if (source.width <= 0 || source.height <= 0)
        return out;
    for (int y = 0; y < height; ++y) {
        // The source pixel whose centre lies nearest to the centre of the target pixel.
        const int sy = std::min(source.height - 1, (2 * y + 1) * source.height / (2 * height));
        for (int x = 0; x < width; ++x) {
            const int sx = std::min(source.width - 1, (2 * x + 1) * source.width / (2 * width));
            out.argb[static_cast<std::size_t>(y * width + x)] = source.pixel(sx, sy);
        }
    }
    return out;
}

bool ImageList::setImageSize(int width, int height)
{
    if (!m_items.empty() || width <= 0 || height <= 0)
        return false;
    m_width = width;
    m_height = height;
    return true;
}

bool ImageList::add(int index, std::string_view key, const Picture& picture)
{
    const PictureImage* image = picture.largestImage();
    if (index < 1 || !image)
        return false;
    const auto at = std::min(static_cast<std::size_t>(index - 1), m_items.size());
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(at),
        Item{std::string(key), scaleImage(*image, m_width, m_height)});
    return true;
}

PicturePtr ImageList::ExtractIcon(int index) const
{
    if (index < 1 || index > count())
        return nullptr;
    return Picture::create(PictureType::Icon, {m_items[static_cast<std::size_t>(index - 1)].image});
}

} // namespace shiftloom
