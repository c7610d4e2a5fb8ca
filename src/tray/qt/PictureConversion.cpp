// SPDX-License-Identifier: MIT
#include "PictureConversion.h"

#include <QPixmap>
#include <cstring>

namespace shiftloom {
namespace {

PictureImage fromQImage(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    PictureImage out;
    out.width = image.width();
    out.height = image.height();
    out.argb.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        std::memcpy(out.argb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width),
            image.constScanLine(y),
            static_cast<std::size_t>(out.width) * sizeof(std::uint32_t));
    }
    return out;
}

} // namespace

PicturePtr pictureFromIcon(const QIcon& icon)
{
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        sizes = {QSize(16, 16), QSize(32, 32), QSize(48, 48)};
    std::vector<PictureImage> images;
    for (const QSize& size : sizes) {
        const QPixmap pixmap = icon.pixmap(size);
        if (!pixmap.isNull())
            images.push_back(fromQImage(pixmap.toImage()));
    }
    if (images.empty())
        return nullptr;
    return Picture::create(PictureType::Icon, std::move(images));
}

PicturePtr pictureFromImage(const QImage& image)
{
    if (image.isNull())
        return nullptr;
    return Picture::create(PictureType::Bitmap, {fromQImage(image)});
}

QImage toQImage(const PictureImage& image)
{
    QImage out(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(out.scanLine(y),
            image.argb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width),
            static_cast<std::size_t>(image.width) * sizeof(std::uint32_t));
    }
    return out;
}

QIcon iconFromPicture(const Picture& picture)
{
    QIcon icon;
    for (const PictureImage& image : picture.images())
        icon.addPixmap(QPixmap::fromImage(toQImage(image)));
    return icon;
}

} // namespace shiftloom
