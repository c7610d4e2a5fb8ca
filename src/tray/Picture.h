// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace shiftloom {

/** The kind of a picture, by the type codes the window system gives pictures. */
enum class PictureType : std::int16_t
{
    None = 0,
    Bitmap = 1,
    Metafile = 2,
    Icon = 3,
    EnhMetafile = 4,
};

/** One image of a picture: `width` x `height` pixels, row by row from the top, each 0xAARRGGBB. */
struct PictureImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;

    /** The pixel at column `x`, row `y`; both must lie inside the image. */
    std::uint32_t pixel(int x, int y) const { return argb[static_cast<std::size_t>(y * width + x)]; }
    bool operator==(const PictureImage&) const = default;
};

/**
 * A picture as the tray control and the windows hold it: its kind, one or more images (an icon
 * carries one image per size) and a handle. The handle is a non-zero 32-bit number, different
 * for every picture made in this process; the notification-area record carries it, and a
 * backend finds the picture's pixels by it. Pictures never change once made, so they are shared.
 */
class Picture final
{
public:
    /** Makes a picture. An image whose pixel count does not match its size is a programming error. */
    static std::shared_ptr<const Picture> create(PictureType type, std::vector<PictureImage> images);

    PictureType type() const { return m_type; }
    std::uint32_t handle() const { return m_handle; }
    const std::vector<PictureImage>& images() const { return m_images; }
    /** The largest image (by area), or none for a picture without images. */
    const PictureImage* largestImage() const;

    /** Use `create`; public only so that `std::make_shared` can reach it. */
    Picture(PictureType type, std::vector<PictureImage> images, std::uint32_t handle);

private:
    PictureType m_type;
    std::vector<PictureImage> m_images;
    std::uint32_t m_handle;
};

using PicturePtr = std::shared_ptr<const Picture>;

} // namespace shiftloom
