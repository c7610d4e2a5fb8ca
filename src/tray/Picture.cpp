// SPDX-License-Identifier: MIT
#include "Picture.h"

#include <atomic>
#include <cassert>

namespace shiftloom {
namespace {

std::uint32_t nextHandle()
{
    static std::atomic<std::uint32_t> counter{0};
    std::uint32_t handle = ++counter;
    if (handle == 0) // after four billion pictures the counter wraps; 0 stays "no picture"
        handle = ++counter;
    return handle;
}

} // namespace

Picture::Picture(PictureType type, std::vector<PictureImage> images, std::uint32_t handle)
    : m_type(type)
    , m_images(std::move(images))
    , m_handle(handle)
{
}

std::shared_ptr<const Picture> Picture::create(PictureType type, std::vector<PictureImage> images)
{
    for ([[maybe_unused]] const PictureImage& image : images)
        assert(image.width >= 0 && image.height >= 0
            && image.argb.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    return std::make_shared<const Picture>(type, std::move(images), nextHandle());
}

const PictureImage* Picture::largestImage() const
{
    const PictureImage* best = nullptr;
    for (const PictureImage& image : m_images) {
        if (!best || image.width * image.height > best->width * best->height)
            best = &image;
    }
    return best;
}

} // namespace shiftloom
