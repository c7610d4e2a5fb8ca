// SPDX-License-Identifier: MIT
#include "DesignLook.h"

#include "panel/AccessibleText.h"
#include "platform/Cp1252.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QStringList>
#include <QTextDocument>
#include <QWidget>
#include <array>

namespace shiftloom {

QColor toQColor(Colour colour, const QPalette& palette)
{
    if (!isSystemColour(colour))
        return QColor(redOf(colour), greenOf(colour), blueOf(colour));
    switch (systemColourIndex(colour)) {
    case 4: // menu
        return palette.color(QPalette::Window);
    case 5: // window background
        return palette.color(QPalette::Base);
    case 7: // menu text
        return palette.color(QPalette::WindowText);
    case 8: // window text
        return palette.color(QPalette::Text);
    case 12: // application workspace
        return palette.color(QPalette::Dark);
    case 13: // highlight
        return palette.color(QPalette::Highlight);
    case 14: // highlight text
        return palette.color(QPalette::HighlightedText);
    case 15: // button face
        return palette.color(QPalette::Button);
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 17: // grey (disabled) text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 20: // button highlight
        return palette.color(QPalette::Light);
    case 21: // 3D dark shadow
        return palette.color(QPalette::Shadow);
    case 22: // 3D light
        return palette.color(QPalette::Midlight);
    case 23: // tooltip text
        return palette.color(QPalette::ToolTipText);
    case 24: // tooltip background
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

void installFontStandIns()
{
    static const bool installed = [] {
        QFont::insertSubstitutions(QStringLiteral("Arial"),
            {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(QStringLiteral("Arial Narrow"),
            {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")});
        // The title's two words in Trebuchet MS just fit their labels side by side; wider stand-ins
        // would push "SHIFT-LOOM" over "Ovix".
        QFont::insertSubstitutions(QStringLiteral("Trebuchet MS"),
            {QStringLiteral("Liberation Sans Narrow"),
                QStringLiteral("DejaVu Sans Condensed"),
                QStringLiteral("DejaVu Sans")});
        // Tahoma draws only the close button's "X": the face the panel has loaded already.
        QFont::insertSubstitutions(QStringLiteral("Tahoma"),
            {QStringLiteral("Liberation Sans"),
                QStringLiteral("DejaVu Sans Condensed"),
                QStringLiteral("DejaVu Sans")});
        // MS Sans Serif is about as wide as Arial at its small sizes.
        QFont::insertSubstitutions(
            QStringLiteral("MS Sans Serif"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
        return true;
    }();
    (void)installed;
}

QFont designFont(const FontDesign& font)
{
    installFontStandIns();
    QFont qfont(toQString(font.family));
    qfont.setPointSizeF(font.points);
    qfont.setBold(font.bold);
    return qfont;
}

QString toQString(std::string_view cp1252)
{
    // Every byte of the code page is one character of the Basic Multilingual Plane: a table of
    // the 256 characters, made once from the platform's own conversion, turns a text in one pass
    // (the job list converts thousands of lines at a time).
    static const std::array<QChar, 256> table = [] {
        std::array<QChar, 256> chars{};
        for (std::size_t byte = 0; byte < chars.size(); ++byte) {
            const char c = static_cast<char>(byte);
            const std::string utf8 = platform::cp1252ToUtf8(std::string_view(&c, 1));
            const QString one = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
            chars[byte] = one.isEmpty() ? QChar() : one.front();
        }
        return chars;
    }();
    QString text(static_cast<qsizetype>(cp1252.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : cp1252)
        *out++ = table[static_cast<unsigned char>(c)];
    return text;
}

std::string fromQString(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return platform::utf8ToCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString buttonText(std::string_view cp1252)
{
    QString text = toQString(cp1252);
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text;
}

QString plainToolTip(std::string_view cp1252)
{
    const QString text = toQString(cp1252);
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

namespace {

/**
 * On Linux a combo box's accessible name is the text in it; screen readers name the box by the
 * label whose buddy it is. That label stands left of the window, never seen.
 */
void labelComboBox(QComboBox* combo, const QString& name)
{
    QWidget* parent = combo->parentWidget();
    const QString labelName = combo->objectName() + QStringLiteral("Label");
    auto* label = parent->findChild<QLabel*>(labelName, Qt::FindDirectChildrenOnly);
    if (!label) {
        label = new QLabel(parent);
        label->setObjectName(labelName);
        label->setBuddy(combo);
        label->setGeometry(-combo->width() - 16, combo->y(), combo->width(), combo->height());
    }
    label->setText(name);
}

} // namespace

void showAccessibleText(QWidget* widget, const AccessibleText& text)
{
    const QString name = toQString(text.name);
    if (!name.isEmpty() && widget->accessibleName() != name) {
        widget->setAccessibleName(name);
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            labelComboBox(combo, name);
    }
    const QString description = toQString(text.description);
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

void nameWindow(QWidget* window, ProgramWindow which)
{
    window->setObjectName(toQString(windowName(which)));
}

void nameDialogControl(QWidget* widget, DialogControl control)
{
    widget->setObjectName(toQString(controlName(control)));
    showAccessibleText(widget, dialogAccessibleText(control));
}

TwipsScale screenScale(const QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? TwipsScale(screen->logicalDotsPerInch()) : TwipsScale();
}

QRect pixelRect(const TwipsScale& scale, int left, int top, int width, int height)
{
    const PixelRect r = scale.rect(left, top, width, height);
    return {r.left, r.top, r.width(), r.height()};
}

} // namespace shiftloom
