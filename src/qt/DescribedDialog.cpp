// SPDX-License-Identifier: MIT
#include "DescribedDialog.h"

#include "qt/AppIcon.h"
#include "qt/DesignLook.h"
#include "qt/PanelLabel.h"
#include "qt/PickComboBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>
#include <cstdlib>

namespace shiftloom {
namespace {

/** A frame with its caption set into its top edge, filled with its back colour. */
class CaptionFrame final : public QWidget
{
public:
    CaptionFrame(const QString& caption, QColor back, QColor fore, QWidget* parent)
        : QWidget(parent)
        , m_caption(caption)
        , m_back(back)
        , m_fore(fore)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), m_back);
        const QFontMetrics metrics(font());
        const int lineY = metrics.height() / 2;
        // An etched edge: a dark line with a light one just inside it.
        const QRect edge = rect().adjusted(0, lineY, -2, -2);
        painter.setPen(m_back.darker(160));
        painter.drawRect(edge);
        painter.setPen(m_back.lighter(170));
        painter.drawRect(edge.translated(1, 1));
        const int textX = metrics.averageCharWidth();
        const QRect textRect(textX, 0, metrics.horizontalAdvance(m_caption) + 2, metrics.height());
        painter.fillRect(textRect, m_back);
        painter.setPen(m_fore);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_caption);
    }

private:
    QString m_caption;
    QColor m_back;
    QColor m_fore;
};

Qt::WindowFlags designFlags(const DialogDesign& design)
{
    Qt::WindowFlags flags =
        (design.ownTaskbarButton ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (design.closeBox)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (!design.sizable)
        flags |= Qt::MSWindowsFixedSizeDialogHint;
    return flags;
}

} // namespace

DescribedDialog::DescribedDialog(ProgramWindow window, QWidget* parent)
    : QDialog(parent, designFlags(dialogDesign(window)))
    , m_window(window)
    , m_scale(screenScale(parent ? parent->screen() : nullptr))
{
    const DialogDesign& design = dialogDesign(window);
    nameWindow(this, window);
    setWindowTitle(toQString(design.title));
    setModal(design.modal);
    setFont(designFont(design.font));
    if (design.programIcon) {
        setWindowIcon(appIcon());
    } else {
        // An empty icon would fall back to the program's.
        QPixmap noIcon(16, 16);
        noIcon.fill(Qt::transparent);
        setWindowIcon(QIcon(noIcon));
    }
    const QSize size(m_scale.pixels(design.clientWidth), m_scale.pixels(design.clientHeight));
    if (design.sizable) {
        resize(size);
    } else {
        setFixedSize(size);
        setSizeGripEnabled(false);
    }
    if (design.clientLeft >= 0)
        setGeometry(QRect(QPoint(m_scale.pixels(design.clientLeft), m_scale.pixels(design.clientTop)), size));

    // Created in the order of the description, so that later controls lie on earlier ones.
    const auto controls = dialogControls(window);
    for (const DialogControlDesign& control : controls)
        m_controls.push_back(createControl(control));
    QWidget* previous = nullptr;
    for (const DialogControlDesign* next : dialogTabOrder(window)) {
        QWidget* widget = control(next->control);
        widget->setFocusPolicy(Qt::StrongFocus);
        if (previous)
            QWidget::setTabOrder(previous, widget);
        else
            widget->setFocus(Qt::OtherFocusReason);
        previous = widget;
    }
}

QWidget* DescribedDialog::createControl(const DialogControlDesign& design)
{
    using T = DialogControlType;
    const QPalette standard = palette();
    const QString caption = toQString(design.caption);
    QWidget* widget = nullptr;
    switch (design.type) {
    case T::Frame:
        widget = new CaptionFrame(
            caption, toQColor(design.backColour, standard), toQColor(design.foreColour, standard), this);
        break;
    case T::Label: {
        auto* label = new PanelLabel(this);
        label->setAlignment((design.alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        QPalette colours = label->palette();
        if (design.backColour != kDefaultColour) {
            label->setAutoFillBackground(true);
            colours.setColor(QPalette::Window, toQColor(design.backColour, standard));
        }
        if (design.foreColour != kDefaultColour)
            colours.setColor(QPalette::WindowText, toQColor(design.foreColour, standard));
        label->setPalette(colours);
        widget = label;
        break;
    }
    case T::Button: {
        auto* button = new QPushButton(caption, this);
        // Enter presses the focused button only in a dialog that has a default button.
        const auto controls = dialogControls(m_window);
        const bool hasDefault =
            std::any_of(controls.begin(), controls.end(), [](const auto& c) { return c.isDefault; });
        button->setAutoDefault(hasDefault);
        button->setDefault(design.isDefault);
        widget = button;
        break;
    }
    case T::TextBox:
        widget = new QLineEdit(this);
        break;
    case T::ComboBox:
        widget = new PickComboBox(this);
        break;
    case T::DropDownList:
        widget = new QComboBox(this);
        break;
    case T::FolderList:
        widget = new QTreeView(this);
        break;
    case T::Picture: {
        auto* picture = new QLabel(this);
        const int side = m_scale.fromDesignPixels(32);
        picture->setPixmap(appIcon().pixmap(side, side));
        // The picture takes the size of its image.
        picture->setGeometry(m_scale.pixels(design.left), m_scale.pixels(design.top), side, side);
        nameDialogControl(picture, design.control);
        return picture;
    }
    case T::Line:
        return nullptr;
    }
    widget->setGeometry(pixelRect(m_scale, design.left, design.top, design.width, design.height));
    if (!design.font.family.empty())
        widget->setFont(designFont(design.font));
    widget->setEnabled(design.enabled);
    nameDialogControl(widget, design.control); // after its place: a combo box's label stands beside it
    return widget;
}

QWidget* DescribedDialog::control(DialogControl which) const
{
    const auto controls = dialogControls(m_window);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].control == which && m_controls[i])
            return m_controls[i];
    }
    std::abort(); // a control of another dialog is a programming error
}

void DescribedDialog::showState(DialogControl which, const ControlState& state)
{
    QWidget* widget = control(which);
    const QString text = toQString(state.text);
    if (auto* label = qobject_cast<QLabel*>(widget); label && label->text() != text)
        label->setText(text);
    else if (auto* box = qobject_cast<QLineEdit*>(widget); box && box->text() != text)
        box->setText(text);
    widget->setEnabled(state.enabled);
}

void DescribedDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const DialogControlDesign& design : dialogControls(m_window)) {
        if (design.type != DialogControlType::Line)
            continue;
        // A line of width w covers w pixel rows from its y downwards, as an inside-solid pen does.
        const int x1 = m_scale.pixels(design.left);
        painter.fillRect(QRect(x1,
                             m_scale.pixels(design.top),
                             m_scale.pixels(design.left + design.width) - x1,
                             m_scale.fromDesignPixels(design.lineWidth)),
            toQColor(design.foreColour, palette()));
    }
}

} // namespace shiftloom
