// SPDX-License-Identifier: MIT
#pragma once

#include "panel/Colour.h"
#include "panel/ControlNames.h"
#include "panel/PanelLayout.h"
#include "panel/TwipsScale.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string>
#include <string_view>

class QPalette;
class QScreen;
class QWidget;

namespace shiftloom {

struct AccessibleText;

/**
 * A window colour as Qt paints it: 0x00BBGGRR as is, and a system colour 0x800000nn through the
 * palette role that plays its part on this desktop (5 window background: Base, 13 highlight,
 * 14 highlight text, 15 button face: Button, 16 button shadow: Dark, ...).
 */
QColor toQColor(Colour colour, const QPalette& palette);

/**
 * Tells Qt which installed families stand in for the design's fonts when they are missing
 * (Liberation Sans for Arial, Liberation Sans Narrow for Arial Narrow, DejaVu Sans for the others).
 * The design family stays the first one asked for, so a desktop that has it uses it. Idempotent.
 */
void installFontStandIns();

/** The design font: its family, its size in points and its weight. */
QFont designFont(const FontDesign& font);

/** The twips scale of `screen` (its logical dots per inch); the primary screen's when null. */
TwipsScale screenScale(const QScreen* screen);
/** A place in twips as a Qt rectangle at `scale`. */
QRect pixelRect(const TwipsScale& scale, int left, int top, int width, int height);

/** Text of the windows (Windows-1252 bytes) as Qt text, and back. */
QString toQString(std::string_view cp1252);
std::string fromQString(const QString& text);

/**
 * A caption for a push button: every "&" doubled, so that a job key holding one shows it rather
 * than turning the next letter into a keyboard shortcut.
 */
QString buttonText(std::string_view cp1252);

/**
 * Text for a tooltip exactly as given: Qt would take text that looks like markup as rich text,
 * which would hide part of a description holding "<".
 */
QString plainToolTip(std::string_view cp1252);

/**
 * Gives `widget` the texts a screen reader reads for it. Only a text that differs is set, since
 * each setting is announced as a change; an empty name leaves the widget's own text its name.
 */
void showAccessibleText(QWidget* widget, const AccessibleText& text);

/** Names a window's widget by the name table. */
void nameWindow(QWidget* window, ProgramWindow which);
/** Names a dialog control's widget by the name table and gives it its texts for a screen reader. */
void nameDialogControl(QWidget* widget, DialogControl control);

} // namespace shiftloom
