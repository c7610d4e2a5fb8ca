// SPDX-License-Identifier: MIT
#include "AppIcon.h"

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
    QIcon icon;
    for (const int size : kSizes)
        icon.addFile(QStringLiteral(":/icons/%1x%1/com.ovix.ShiftLoom.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace shiftloom
