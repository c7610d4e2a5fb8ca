// SPDX-License-Identifier: MIT
#pragma once

#include "tray/Picture.h"

#include <QIcon>
#include <QImage>

namespace shiftloom {

/** A picture of type Icon with one image for each size the icon has (or 16, 32 and 48 pixels). */
PicturePtr pictureFromIcon(const QIcon& icon);
/** A picture of type Bitmap with the pixels of `image`. */
PicturePtr pictureFromImage(const QImage& image);

/** One image of a picture as a QImage (ARGB32, not premultiplied). */
QImage toQImage(const PictureImage& image);
/** An icon with every image of `picture`. */
QIcon iconFromPicture(const Picture& picture);

} // namespace shiftloom
