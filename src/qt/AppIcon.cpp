// SPDX-License-Identifier: MIT
#include "AppIcon.h"

#include <QImageReader>
#include <QPixmap>
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
    // Read as the PNGs they are, with no guessing: an image whose format is to be found out is
    // shown to every image plugin installed (GIF, JPEG, ...), each loaded into the process for it.
    QIcon icon;
    for (const int size : kSizes) {
        QImageReader reader(QStringLiteral(":/icons/%1x%1/com.ovix.ShiftLoom.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace shiftloom
