// SPDX-License-Identifier: MIT
#include "Form1Window.h"

#include "ui/Form1.h"
#include "ui/qt/DesignLook.h"
#include "ui/qt/DesktopSession.h"
#include "ui/qt/Form1Label.h"
#include "ui/qt/PickComboBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <utility>

namespace shiftloom {
namespace {

// The mouse buttons and shift keys as the handlers count them.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;
constexpr int kShiftKey = 1;
constexpr int kCtrlKey = 2;
constexpr int kAltKey = 4;

int buttonCode(Qt::MouseButtons buttons)
{
    int code = 0;
    if (buttons & Qt::LeftButton)
        code |= kLeftButton;
    if (buttons & Qt::RightButton)
        code |= kRightButton;
    if (buttons & Qt::MiddleButton)
        code |= kMiddleButton;
    return code;
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= kShiftKey;
    if (modifiers & Qt::ControlModifier)
        code |= kCtrlKey;
    if (modifiers & Qt::AltModifier)
        code |= kAltKey;
    return code;
}

Qt::Alignment labelAlignment(Alignment alignment)
{
    // Labels write from their top edge, as the design draws them.
    switch (alignment) {
    case Alignment::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case Alignment::Centre:
        return Qt::AlignHCenter | Qt::AlignTop;
    case Alignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

Qt::Alignment textBoxAlignment(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case Alignment::Centre:
        return Qt::AlignCenter;
    case Alignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QString colourName(const QColor& colour)
{
    return colour.name(QColor::HexRgb);
}

/**
 * A button whose back colour shows: painted flat in that colour with a raised edge of its
 * shades, sunk while pressed.
 */
QString graphicalButtonSheet(const QColor& back, const QColor& fore)
{
    return QStringLiteral("QPushButton { background-color: %1; color: %2; border: 2px outset %1; padding: 0px; }"
                          "QPushButton:pressed { border-style: inset; }")
        .arg(colourName(back), colourName(fore));
}

} // namespace

QString controlObjectName(ControlRef ref)
{
    QString name = toQString(controlName(ref.name));
    if (ref.index >= 0)
        name += QLatin1Char('_') + QString::number(ref.index);
    return name;
}

Form1Window::Form1Window(Form1& form, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_form(form)
    , m_model(form.model())
    , m_scale(TwipsScale::forScreen(nullptr))
{
    installFontStandIns();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString());
    const FormDesign& design = form1Design();
    setFont(designFont(design.font));
    setFixedSize(m_scale.toPixels(design.clientWidth), m_scale.toPixels(design.clientHeight));

    createControls();
    connectEvents();
    setTabOrder();
    m_model.addObserver(this);

    // The focus starts on the first control of the focus order, the hidden "IN" key.
    if (QWidget* first = control(ctl::Command1))
        first->setFocus(Qt::OtherFocusReason);
}

Form1Window::~Form1Window()
{
    m_model.removeObserver(this);
}

QWidget* Form1Window::control(ControlRef ref) const
{
    return m_controls[controlSlot(ref)];
}

void Form1Window::createControls()
{
    const auto controls = form1Controls();
    m_controls.assign(controls.size(), nullptr);
    // Created in the order of the design, so that later controls lie on top of earlier ones:
    // the title labels on the drag strip, the close button at its end.
    for (const ControlDesign& design : controls) {
        QWidget* widget = createControl(design);
        if (!widget)
            continue;
        widget->setObjectName(controlObjectName(design.ref));
        int width = design.width;
        // The activity number always has eight digits, which in its bold font are wider than the
        // label the design gives it. Nothing lies to its right up to the window's edge, so the
        // label takes that room rather than cutting off the last digit.
        if (design.ref == ctl::Label11)
            width = std::max(width, form1Design().clientWidth - design.left);
        widget->setGeometry(m_scale.toPixels(design.left, design.top, width, design.height));
        if (!design.font.family.empty())
            widget->setFont(designFont(design.font));
        m_controls[controlSlot(design.ref)] = widget;
        showCaption(design.ref);
        showColours(design.ref);
        widget->setToolTip(plainToolTip(m_model.toolTip(design.ref)));
        widget->setVisible(design.visible);
    }
    m_jobList = static_cast<PickComboBox*>(control(ctl::Combo1));
    m_cardBox = static_cast<QLineEdit*>(control(ctl::Text3));
    fillJobList();
    showCaption(ctl::Combo1);
}

QWidget* Form1Window::createControl(const ControlDesign& design)
{
    switch (design.type) {
    case ControlType::Label: {
        auto* label = new Form1Label(this);
        label->setAlignment(labelAlignment(design.alignment));
        if (design.border) {
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            label->setLineWidth(1);
        }
        return label;
    }
    case ControlType::Button: {
        auto* button = new QPushButton(this);
        button->setFocusPolicy(Qt::StrongFocus);
        // Enter presses the button that has the focus, like Space.
        button->setAutoDefault(true);
        return button;
    }
    case ControlType::TextBox: {
        auto* box = new QLineEdit(this);
        box->setAlignment(textBoxAlignment(design.alignment));
        box->setFocusPolicy(Qt::StrongFocus);
        return box;
    }
    case ControlType::ComboBox: {
        auto* combo = new PickComboBox(this);
        combo->setFocusPolicy(Qt::StrongFocus);
        return combo;
    }
    case ControlType::TrayControl:
        break;
    }
    return nullptr;
}

void Form1Window::connectEvents()
{
    for (int i = 0; i < kSlotCount; ++i) {
        connect(static_cast<QPushButton*>(control(ctl::Command6(i))), &QPushButton::clicked, this, [this, i] {
            m_form.Command6_Click(i);
        });
        connect(static_cast<QLineEdit*>(control(ctl::Text2(i))),
            &QLineEdit::textEdited,
            this,
            [this, i](const QString& text) { m_form.Text2_Change(i, fromQString(text)); });
        connect(static_cast<QPushButton*>(control(ctl::Command3(i))), &QPushButton::clicked, this, [this, i] {
            m_form.Command3_Click(i);
        });
    }
    auto onClick = [this](ControlRef ref, void (Form1::*handler)()) {
        Form1* form = &m_form;
        connect(static_cast<QPushButton*>(control(ref)), &QPushButton::clicked, this, [form, handler] {
            (form->*handler)();
        });
    };
    onClick(ctl::Command2, &Form1::Command2_Click);
    onClick(ctl::Command1, &Form1::Command1_Click);
    onClick(ctl::Command4, &Form1::Command4_Click);
    onClick(ctl::Command5, &Form1::Command5_Click);
    onClick(ctl::Command7, &Form1::Command7_Click);

    connect(m_cardBox, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_form.Text3_Change(fromQString(text));
    });
    m_cardBox->installEventFilter(this);
    connect(static_cast<QLineEdit*>(control(ctl::Text4)), &QLineEdit::textEdited, this, [this](const QString& text) {
        m_form.Text4_Change(fromQString(text));
    });
    // The keypad's echo changes only with the keypad: typing, pasting or dropping into it does
    // nothing, while the focus still passes through it.
    auto* echo = static_cast<QLineEdit*>(control(ctl::Text1));
    echo->setReadOnly(true);
    echo->setContextMenuPolicy(Qt::NoContextMenu);

    connect(m_jobList, &PickComboBox::textTyped, this, [this](const QString& text) {
        m_form.Combo1_Change(fromQString(text));
    });
    connect(m_jobList, &PickComboBox::itemPicked, this, [this](const QString& item) {
        m_model.setCaption(ctl::Combo1, fromQString(item));
        m_form.Combo1_Click();
    });

    for (int i = 0; i < 2; ++i) {
        connect(static_cast<Form1Label*>(control(ctl::Label4(i))), &Form1Label::clicked, this, [this, i] {
            m_form.Label4_Click(i);
        });
    }
    connect(static_cast<Form1Label*>(control(ctl::Label11)), &Form1Label::clicked, this, [this] {
        m_form.Label11_Click();
    });

    auto* strip = static_cast<Form1Label*>(control(ctl::Label6));
    strip->setMouseTracking(true);
    connect(strip, &Form1Label::mousePressed, this, [this](QMouseEvent* event) {
        // Where the window cannot move itself, the compositor moves it with the pointer, and the
        // strip sees neither the moves nor the release: the drag is the compositor's alone.
        if (desktop::startCompositorMove(*this))
            return;
        const QPointF at = positionInDragStrip(event);
        m_form.Label6_MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), at.x(), at.y());
    });
    connect(strip, &Form1Label::mouseMoved, this, [this](QMouseEvent* event) {
        const QPointF at = positionInDragStrip(event);
        m_form.Label6_MouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), at.x(), at.y());
    });
    connect(strip, &Form1Label::mouseReleased, this, [this](QMouseEvent* event) {
        const QPointF at = positionInDragStrip(event);
        m_form.Label6_MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), at.x(), at.y());
    });
}

void Form1Window::setTabOrder()
{
    std::vector<std::pair<int, QWidget*>> order;
    for (const ControlDesign& design : form1Controls()) {
        QWidget* widget = control(design.ref);
        if (!widget)
            continue;
        if (design.tabIndex < 0) {
            widget->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        order.emplace_back(design.tabIndex, widget);
    }
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

QPointF Form1Window::positionInDragStrip(const QMouseEvent* event) const
{
    // Measured from where this window believes it stands rather than from the event's own local
    // position: while the window system is still carrying out the last move, the two differ, and
    // the drag would overshoot and jitter. Against the believed place each move is exact.
    const QPoint stripOrigin = geometry().topLeft() + control(ctl::Label6)->pos();
    return m_scale.toTwips(event->globalPosition() - QPointF(stripOrigin));
}

void Form1Window::controlChanged(ControlRef ref, ControlProperty property)
{
    QWidget* widget = control(ref);
    if (!widget)
        return;
    switch (property) {
    case ControlProperty::Caption:
        // The job list's text is also the worker's edit, so it always follows at once.
        if (!isVisible() && designOf(ref).type != ControlType::ComboBox) {
            if (std::find(m_captionsToShow.begin(), m_captionsToShow.end(), ref) == m_captionsToShow.end())
                m_captionsToShow.push_back(ref);
            break;
        }
        showCaption(ref);
        break;
    case ControlProperty::ToolTip:
        widget->setToolTip(plainToolTip(m_model.toolTip(ref)));
        break;
    case ControlProperty::BackColour:
        showColours(ref);
        break;
    case ControlProperty::Items:
        fillJobList();
        break;
    }
}

void Form1Window::showCaption(ControlRef ref)
{
    QWidget* widget = control(ref);
    const std::string& caption = m_model.caption(ref);
    switch (designOf(ref).type) {
    case ControlType::Label:
        static_cast<QLabel*>(widget)->setText(toQString(caption));
        break;
    case ControlType::Button:
        static_cast<QPushButton*>(widget)->setText(buttonText(caption));
        break;
    case ControlType::TextBox: {
        auto* box = static_cast<QLineEdit*>(widget);
        const QString text = toQString(caption);
        // The worker's own edit comes back from the model unchanged: leave the box alone then,
        // so that the cursor stays where the worker is typing.
        if (box->text() != text) {
            const int cursor = box->cursorPosition();
            box->setText(text);
            if (box->hasFocus())
                box->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
        }
        break;
    }
    case ControlType::ComboBox:
        static_cast<PickComboBox*>(widget)->showText(toQString(caption));
        break;
    case ControlType::TrayControl:
        break;
    }
}

void Form1Window::showColours(ControlRef ref)
{
    QWidget* widget = control(ref);
    const ControlDesign& design = designOf(ref);
    const QPalette standard = QApplication::palette(widget);
    const Colour back = m_model.backColour(ref);
    auto colourOr = [&standard](Colour colour, QPalette::ColorRole role) {
        return colour == kDefaultColour ? standard.color(role) : toQColor(colour, standard);
    };
    QPalette palette = widget->palette();
    switch (design.type) {
    case ControlType::Label:
        widget->setAutoFillBackground(!design.transparent);
        palette.setColor(QPalette::Window, colourOr(back, QPalette::Button));
        palette.setColor(QPalette::WindowText, colourOr(design.foreColour, QPalette::WindowText));
        widget->setPalette(palette);
        break;
    case ControlType::Button:
        if (design.graphical) {
            widget->setStyleSheet(graphicalButtonSheet(
                colourOr(back, QPalette::Button), colourOr(design.foreColour, QPalette::ButtonText)));
        }
        break;
    case ControlType::TextBox:
        palette.setColor(QPalette::Base, colourOr(back, QPalette::Base));
        palette.setColor(QPalette::Text, colourOr(design.foreColour, QPalette::Text));
        widget->setPalette(palette);
        break;
    case ControlType::ComboBox:
    case ControlType::TrayControl:
        break;
    }
}

void Form1Window::fillJobList()
{
    // The list shows the model's lines where they are, sorted; it is told again at every change
    // of them, before anything else runs.
    const TextList& items = m_model.comboItems();
    m_jobList->setLines(items, displayOrder(items));
}

void Form1Window::showEvent(QShowEvent* event)
{
    // Before the first paint: what changed while hidden is shown at once.
    for (const ControlRef& ref : std::exchange(m_captionsToShow, {}))
        showCaption(ref);
    QWidget::showEvent(event);
}

void Form1Window::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(form1Design().backColour, palette()));
}

void Form1Window::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Only the bare background: a control that does not take double-clicks itself (the arrow
    // of the job list) passes them on to the window, and they are not the window's.
    if (childAt(event->position().toPoint()) != nullptr) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    m_form.Form_DblClick();
}

void Form1Window::closeEvent(QCloseEvent* event)
{
    event->accept();
    endRun();
}

void Form1Window::endRun()
{
    if (m_ended)
        return;
    m_ended = true;
    m_form.Form_Unload();
    emit runEnded();
}

bool Form1Window::eventFilter(QObject* watched, QEvent* event)
{
    // The card number is stored when the focus moves on to another control of the window; the
    // window losing the focus to another window, or a popup menu, is no such move.
    if (watched == m_cardBox && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            m_form.Text3_LostFocus();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace shiftloom
