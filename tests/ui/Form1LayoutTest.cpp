// SPDX-License-Identifier: MIT
// The panel's controls against the layout tables of the main window: place, caption, look.
// The expected values are written out here, not taken from the program's own design table,
// so that a wrong entry there shows up as a failure.
#include "PanelFixture.h"

#include "ui/qt/DesignLook.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

namespace shiftloom::test {
namespace {

constexpr Colour kAny = 0xFFFFFFFFu; // the type's default colour: not checked
constexpr Colour kHighlight = 0x8000000Du;
constexpr Colour kButtonFace = 0x8000000Fu;
constexpr Colour kWhite = 0x00FFFFFFu;
constexpr Colour kDarkBlue = 0x00400000u;
constexpr Colour kRed = 0x000000FFu;
constexpr Colour kGreen = 0x0000C000u;

enum class Align
{
    Left,
    Right,
    Centre
};

struct Row
{
    std::string name;
    int left, top, width, height;
    std::string caption;
    Colour back = kAny;
    Colour fore = kAny;
    std::string family = "Arial";
    double points = 8.25;
    bool bold = false;
    Align align = Align::Left;
    bool transparent = false;
    bool visible = true;
};

std::vector<Row> layoutRows()
{
    std::vector<Row> rows = {
        // Top strip.
        {"Label6", 0, 0, 2895, 435, "", kHighlight},
        {"Label4_0", 120, 0, 615, 315, "Ovix", kAny, 0x000080FFu, "Trebuchet MS", 14.25, true, Align::Left, true},
        {"Label4_1", 660, 0, 1515, 315, "SHIFT-LOOM", kAny, kWhite, "Trebuchet MS", 14.25, false, Align::Right, true},
        {"Command7", 2580, 0, 315, 315, "X", kRed, kAny, "Tahoma", 9.75, true},
        // Clock, job list, card number, activity.
        {"Label2", 120, 540, 2655, 435, "00:00:00", kDarkBlue, kWhite, "Arial", 14.25, false, Align::Centre},
        {"Combo1", 120, 1020, 1875, 315, "Combo1", kAny, kAny, "MS Sans Serif", 8.25},
        {"Text3", 2040, 1020, 735, 315, "1234"},
        {"Label10", 120, 1380, 1575, 315, "", kAny, kWhite, "Arial", 9, true, Align::Left, true},
        // Widened from the design's 735 to the window's edge: eight bold digits are 53 pixels.
        {"Label11", 2040, 1380, 840, 315, "", kAny, kWhite, "Arial", 9, true, Align::Left, true},
        // Bottom row.
        {"Command2", 120, 5400, 1635, 375, "STOP ALL", kRed, kAny, "MS Sans Serif", 9.75, true},
        {"Text4", 1740, 5400, 1035, 375, "00:00:00", kAny, kAny, "Arial", 9.75, true, Align::Centre},
        // Beyond the right edge.
        {"cwdir", 5460, 1440, 75, 675, "c:\\", kAny, kAny, "MS Sans Serif", 8.25, false, Align::Left, false, false},
        {"Command1", 4980, 3420, 735, 375, "IN", kGreen, kAny, "MS Sans Serif", 13.5, true},
        {"Command8", 4980, 3300, 495, 255, "Command8"},
        {"Label7", 3120, 60, 435, 195, "N"},
        {"Label8", 3960, 540, 855, 255, "Label8"},
        {"Label9", 3960, 840, 795, 195, "Label9"},
        {"Label1", 4920, 4620, 1035, 255, "Label1", kAny, kAny, "MS Sans Serif"},
        {"Text1", 5100, 1260, 1275, 315, "", kAny, kAny, "MS Sans Serif"},
        {"Command4", 5100, 2700, 315, 315, "#", kAny, kAny, "MS Sans Serif"},
        {"Command5", 5040, 2940, 315, 315, "C", kAny, kAny, "MS Sans Serif"},
    };
    for (int i = 0; i < 10; ++i) {
        const std::string n = std::to_string(i);
        rows.push_back(
            {"Command6_" + n, 120, 1740 + 360 * i, 1635, 315, "[empty]", kButtonFace, kAny, "Arial", 9.75, true});
        rows.push_back({"Text2_" + n,
            1740,
            1740 + 360 * i,
            1035,
            315,
            "00:00:00",
            kDarkBlue,
            kWhite,
            "Arial",
            9,
            false,
            Align::Centre});
        rows.push_back(
            {"Label5_" + n, 3720, 1680 + 360 * i, 1035, 315, "Label5", kAny, kAny, "Arial Narrow", 11.25, true});
    }
    constexpr std::array<int, 10> keyLeft = {5520, 5040, 5520, 5100, 5040, 5520, 5100, 5040, 5520, 5100};
    constexpr std::array<int, 10> keyTop = {2940, 2520, 2520, 2280, 2100, 2100, 1860, 1680, 1680, 1440};
    for (std::size_t d = 0; d < 10; ++d) {
        rows.push_back({"Command3_" + std::to_string(d),
            keyLeft[d],
            keyTop[d],
            315,
            315,
            std::to_string(d),
            kAny,
            kAny,
            "MS Sans Serif"});
    }
    return rows;
}

/** The expected colour: a system colour through the palette role that stands for it here. */
QColor expectedColour(Colour colour)
{
    const QPalette palette = QApplication::palette();
    if (colour == kHighlight)
        return palette.color(QPalette::Highlight);
    if (colour == kButtonFace)
        return palette.color(QPalette::Button);
    return QColor(static_cast<int>(colour & 0xFF),
        static_cast<int>((colour >> 8) & 0xFF),
        static_cast<int>((colour >> 16) & 0xFF));
}

QString shownText(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (auto* box = qobject_cast<QLineEdit*>(widget))
        return box->text();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentText();
    return {};
}

Qt::Alignment horizontalAlignment(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->alignment() & Qt::AlignHorizontal_Mask;
    if (auto* box = qobject_cast<QLineEdit*>(widget))
        return box->alignment() & Qt::AlignHorizontal_Mask;
    return Qt::AlignLeft;
}

/** A pixel inside the control's background, above its caption and inside its edge. */
QColor backgroundPixel(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    return image.pixelColor(3, 2);
}

void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

class Form1Layout : public PanelFixture, public ::testing::WithParamInterface<Row>
{
};

TEST_P(Form1Layout, ControlStandsWhereTheDesignPutsItAndLooksAsDesigned)
{
    const Row& row = GetParam();
    auto* control = window->findChild<QWidget*>(QString::fromStdString(row.name));
    ASSERT_NE(control, nullptr);
    ASSERT_DOUBLE_EQ(window->scale().factor(), 1.0);
    EXPECT_EQ(control->geometry(), QRect(row.left / 15, row.top / 15, row.width / 15, row.height / 15));
    EXPECT_EQ(shownText(control).toStdString(), row.caption);
    EXPECT_EQ(control->isVisibleTo(window.get()), row.visible);

    const QFont font = control->font();
    EXPECT_EQ(font.family().toStdString(), row.family);
    EXPECT_DOUBLE_EQ(font.pointSizeF(), row.points);
    EXPECT_EQ(font.bold(), row.bold);

    const Qt::Alignment align = row.align == Align::Right ? Qt::AlignRight
        : row.align == Align::Centre                      ? Qt::AlignHCenter
                                                          : Qt::AlignLeft;
    EXPECT_EQ(horizontalAlignment(control), align);

    if (auto* label = qobject_cast<QLabel*>(control)) {
        EXPECT_EQ(label->autoFillBackground(), !row.transparent);
        EXPECT_EQ(control->focusPolicy(), Qt::NoFocus) << "labels never take the focus";
        if (row.fore != kAny) {
            EXPECT_EQ(label->palette().color(QPalette::WindowText), expectedColour(row.fore));
        }
    }
    if (row.back != kAny) {
        EXPECT_EQ(backgroundPixel(control), expectedColour(row.back)) << "the back colour is really painted";
    }
    if (auto* box = qobject_cast<QLineEdit*>(control); box && row.fore != kAny) {
        EXPECT_EQ(box->palette().color(QPalette::Text), expectedColour(row.fore));
    }
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, Form1Layout, ::testing::ValuesIn(layoutRows()), [](const ::testing::TestParamInfo<Row>& row) {
        return row.param.name;
    });

using Form1WindowLook = PanelFixture;

TEST_F(Form1WindowLook, PanelIsBorderlessToolWindowOfDesignSize)
{
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window->windowType(), Qt::Tool) << "a tool window has no taskbar button";
    EXPECT_EQ(window->size(), QSize(192, 395));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
}

TEST_F(Form1WindowLook, BackgroundAndTitleStripShowThroughTransparentLabels)
{
    const QImage image = window->grab().toImage();
    EXPECT_EQ(image.pixelColor(2, 200), QColor(32, 91, 145)) << "the window's back colour";
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    EXPECT_EQ(image.pixelColor(1, 1), highlight);
    // Inside both title labels, away from their letters: the strip, not the labels' black.
    EXPECT_EQ(image.pixelColor(9, 19), highlight);
    EXPECT_EQ(image.pixelColor(46, 2), highlight);
    // The activity labels show the window's colour around their (empty) captions.
    EXPECT_EQ(image.pixelColor(20, 100), QColor(32, 91, 145));
}

TEST_F(Form1WindowLook, DesignFontsAreDrawnWithMetricCompatibleStandIns)
{
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains(QStringLiteral("Liberation Sans"))
        || !installed.contains(QStringLiteral("Liberation Sans Narrow")))
        GTEST_SKIP() << "fonts-liberation is not installed";
    if (installed.contains(QStringLiteral("Arial")))
        GTEST_SKIP() << "the design fonts themselves are installed";
    EXPECT_EQ(QFontInfo(widget(ctl::Text2(0))->font()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(widget(ctl::Label5(0))->font()).family(), QStringLiteral("Liberation Sans Narrow"));
}

} // namespace
} // namespace shiftloom::test
