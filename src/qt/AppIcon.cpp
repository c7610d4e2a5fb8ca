// SPDX-License-Identifier: MIT
#include "AppIcon.h"

#include <QImage>
#include <QPixmap>
#include <QResource>
#include <QString>

// Registers the icon resource of this static library; outside any namespace, as Qt requires.
static void initIconResource()
{
    Q_INIT_RESOURCE(shiftloom_icons);
}

namespace shiftloom {
namespace {
constexpr int kSizes[] = {16, 24, 32, 48, 64};
}

QIcon appIcon()
{
    initIconResource();
    // The images are raw RGBA rows kept uncompressed in the program: read in place, with no image
    // decoder (nor its library's pages) in the process.
    QIcon icon;
    for (const int size : kSizes) {
        const QResource resource(QStringLiteral(":/icons/%1x%1.rgba").arg(size));
        if (resource.compressionAlgorithm() != QResource::NoCompression || resource.size() != qint64{size} * size * 4)
            continue;
        const QImage image(resource.data(), size, size, size * 4, QImage::Format_RGBA8888);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace shiftloom
