// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

namespace shiftloom {

/**
 * The program's icon (16, 24, 32, 48 and 64 pixels), for the window, the tray, the dialogs and
 * the about box. Built from the images compiled into the program, so it never depends on the
 * installed icon theme.
 */
QIcon appIcon();

} // namespace shiftloom
