// SPDX-License-Identifier: MIT
#pragma once

#include "tray/Picture.h"

#include <QIcon>

namespace shiftloom {

/**
 * The program's icon (16, 24, 32, 48 and 64 pixels), for the window, the tray, the dialogs and
 * the about box. Built from the images compiled into the program, so it never depends on the
 * installed icon theme.
 */
QIcon appIcon();

/** The program's icon as a tray picture (an icon picture with the same images). */
PicturePtr appIconPicture();
/** `icon`, made by `appIcon`, as a tray picture: its images are not read a second time. */
PicturePtr appIconPicture(const QIcon& icon);

} // namespace shiftloom
