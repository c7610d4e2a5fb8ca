// SPDX-License-Identifier: MIT
#include "PanelWindow.h"

#include "panel/AccessibleText.h"
#include "panel/ControlNames.h"
#include "panel/TimeText.h"
#include "qt/ActivityDialog.h"
#include "qt/DesignLook.h"
#include "qt/DesktopSession.h"
#include "qt/GraphicalButton.h"
#include "qt/PanelLabel.h"
#include "qt/PickComboBox.h"

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

constexpr ControlRef kDragStrip{PanelControl::DragStrip};
constexpr ControlRef kJobList{PanelControl::JobList};
constexpr ControlRef kCardNumber{PanelControl::CardNumber};
constexpr ControlRef kInKey{PanelControl::InKey};
constexpr ControlRef kKeypadEcho{PanelControl::KeypadEcho};

} // namespace

PanelWindow::PanelWindow(Panel& panel, QWidget* parent)
    // A thin fixed frame and no title bar: the window manager draws the border only.
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_panel(panel)
    , m_scale(screenScale(nullptr))
{
    installFontStandIns();
    nameWindow(this, ProgramWindow::Panel);
    setWindowTitle(QString());
    setAccessibleName(toQString(kPanelAccessibleName));
    const PanelDesign& design = panelDesign();
    setFont(designFont(design.font));
    setFixedSize(m_scale.pixels(design.clientWidth), m_scale.pixels(design.clientHeight));

    createControls();
    connectEvents();
    setTabOrder();

    // The focus starts on the first control of the focus order, the hidden "IN" key.
    if (QWidget* first = control(kInKey))
        first->setFocus(Qt::OtherFocusReason);
}

PanelWindow::~PanelWindow() = default;

QWidget* PanelWindow::control(ControlRef ref) const
{
    return m_controls[controlIndex(ref)];
}

void PanelWindow::createControls()
{
    const auto controls = panelControls();
    m_controls.assign(controls.size(), nullptr);
    // Created in the order of the layout, so that later controls lie on top of earlier ones:
    // the title words on the drag strip, the close button at its end.
    for (const ControlDesign& design : controls) {
        QWidget* widget = createControl(design);
        if (!widget)
            continue;
        widget->setObjectName(QString::fromStdString(objectNameOf(design.ref)));
        widget->setGeometry(pixelRect(m_scale, design.left, design.top, shownWidth(design), design.height));
        if (!design.font.family.empty())
            widget->setFont(designFont(design.font));
        m_controls[controlIndex(design.ref)] = widget;
    }
    m_jobList = static_cast<PickComboBox*>(control(kJobList));
    m_cardBox = static_cast<QLineEdit*>(control(kCardNumber));
}

QWidget* PanelWindow::createControl(const ControlDesign& design)
{
    switch (design.type) {
    case ControlType::Label: {
        auto* label = new PanelLabel(this);
        label->setAlignment(labelAlignment(design.alignment));
        if (design.border) {
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            label->setLineWidth(1);
        }
        return label;
    }
    case ControlType::Button: {
        auto* button = design.graphical ? new GraphicalButton(this) : new QPushButton(this);
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
    case ControlType::TrayIcon:
        break;
    }
    return nullptr;
}

template<typename Act> void PanelWindow::act(Act&& operation)
{
    operation();
    render();
}

void PanelWindow::connectEvents()
{
    // A press of a button or a click on a label is the operation it stands for.
    for (const ControlDesign& design : panelControls()) {
        const ControlRef ref = design.ref;
        const auto press = [this, ref] { act([this, ref] { m_panel.pressControl(ref); }); };
        if (auto* button = qobject_cast<QPushButton*>(control(ref)))
            connect(button, &QPushButton::clicked, this, press);
        else if (auto* label = qobject_cast<PanelLabel*>(control(ref)))
            connect(label, &PanelLabel::clicked, this, press);
    }
    for (int i = 0; i < Panel::kSlotCount; ++i) {
        connect(static_cast<QLineEdit*>(control(elapsedBox(i))),
            &QLineEdit::textEdited,
            this,
            [this, i](const QString& text) { typeInto(m_panel, m_view, elapsedBox(i), fromQString(text)); });
    }
    connect(m_cardBox, &QLineEdit::textEdited, this, [this](const QString& text) {
        typeInto(m_panel, m_view, kCardNumber, fromQString(text));
    });
    m_cardBox->installEventFilter(this);
    // The keypad's echo changes only with the keypad: typing, pasting or dropping into it does
    // nothing, while the focus still passes through it.
    auto* echo = static_cast<QLineEdit*>(control(kKeypadEcho));
    echo->setReadOnly(true);
    echo->setContextMenuPolicy(Qt::NoContextMenu);

    connect(m_jobList, &PickComboBox::textTyped, this, [this](const QString& text) {
        typeInto(m_panel, m_view, kJobList, fromQString(text));
    });
    connect(m_jobList, &PickComboBox::itemPicked, this, [this](const QString& item) {
        m_view.forget(kJobList); // the box shows the item picked now
        act([this, line = fromQString(item)] { m_panel.assignJob(line); });
    });

    // Any mouse button drags the panel.
    auto* strip = static_cast<PanelLabel*>(control(kDragStrip));
    strip->setMouseTracking(true);
    connect(strip, &PanelLabel::mousePressed, this, [this](QMouseEvent* event) {
        // Where the window cannot move itself, the compositor moves it with the pointer, and the
        // strip sees neither the moves nor the release: the drag is the compositor's alone.
        if (desktop::startCompositorMove(*this))
            return;
        const QPointF at = positionInDragStrip(event);
        act([this, at] { m_panel.pressDragStrip(static_cast<float>(at.x()), static_cast<float>(at.y())); });
    });
    connect(strip, &PanelLabel::mouseMoved, this, [this](QMouseEvent* event) {
        const QPointF at = positionInDragStrip(event);
        m_panel.moveOverDragStrip(static_cast<float>(at.x()), static_cast<float>(at.y()));
    });
    connect(
        strip, &PanelLabel::mouseReleased, this, [this](QMouseEvent*) { act([this] { m_panel.releaseDragStrip(); }); });
}

void PanelWindow::setTabOrder()
{
    std::vector<std::pair<int, QWidget*>> order;
    for (const ControlDesign& design : panelControls()) {
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

QPointF PanelWindow::positionInDragStrip(const QMouseEvent* event) const
{
    // Measured from where this window believes it stands rather than from the event's own local
    // position: while the window system is still carrying out the last move, the two differ, and
    // the drag would overshoot and jitter. Against the believed place each move is exact.
    const QPoint stripOrigin = geometry().topLeft() + control(kDragStrip)->pos();
    const QPointF at = event->globalPosition() - QPointF(stripOrigin);
    return {m_scale.twips(at.x()), m_scale.twips(at.y())};
}

std::optional<Activity> PanelWindow::askActivity(const ActivityList& list, const Activity& current)
{
    render();
    if (!m_activityDialog)
        m_activityDialog = new ActivityDialog(this);
    return m_activityDialog->ask(list, current, this);
}

void PanelWindow::showFromTray()
{
    act([this] { m_panel.showFromTray(); });
}

void PanelWindow::render()
{
    if (isVisible())
        m_view.render(m_panel, *this);
}

void PanelWindow::paintJobList(const TextList& lines, const std::vector<std::size_t>& order)
{
    // The list shows the panel's lines where they are, sorted; it is told again at every refill,
    // before anything else runs.
    m_jobList->setLines(lines, order);
}

void PanelWindow::paintControl(const ControlDesign& design, const ControlState& state)
{
    QWidget* widget = control(design.ref);
    if (!widget)
        return;
    showText(design.ref, state.text);
    showColours(design, state);
    widget->setToolTip(plainToolTip(state.toolTip));
    widget->setEnabled(state.enabled);
    if (widget->isHidden() == state.visible)
        widget->setVisible(state.visible);
    showAccessibleText(widget, state.accessible);
}

void PanelWindow::showText(ControlRef ref, const std::string& text)
{
    QWidget* widget = control(ref);
    if (!widget)
        return;
    switch (designOf(ref).type) {
    case ControlType::Label: {
        auto* label = static_cast<QLabel*>(widget);
        const QString shown = toQString(text);
        if (label->text() != shown)
            label->setText(shown);
        break;
    }
    case ControlType::Button:
        static_cast<QPushButton*>(widget)->setText(buttonText(text));
        break;
    case ControlType::TextBox: {
        auto* box = static_cast<QLineEdit*>(widget);
        const QString shown = toQString(text);
        // The worker's own edit comes back from the panel unchanged: leave the box alone then,
        // so that the cursor stays where the worker is typing.
        if (box->text() != shown) {
            const int cursor = box->cursorPosition();
            box->setText(shown);
            if (box->hasFocus())
                box->setCursorPosition(std::min(cursor, static_cast<int>(shown.size())));
        }
        break;
    }
    case ControlType::ComboBox:
        static_cast<PickComboBox*>(widget)->showText(toQString(text));
        break;
    case ControlType::TrayIcon:
        break;
    }
}

void PanelWindow::showColours(const ControlDesign& design, const ControlState& state)
{
    QWidget* widget = control(design.ref);
    const Colour back = state.back;
    const QPalette standard = QApplication::palette(widget);
    auto colourOr = [&standard](Colour colour, QPalette::ColorRole role) {
        return colour == kDefaultColour ? standard.color(role) : toQColor(colour, standard);
    };
    QPalette palette = widget->palette();
    switch (design.type) {
    case ControlType::Label:
        widget->setAutoFillBackground(!design.transparent);
        palette.setColor(QPalette::Window, colourOr(back, QPalette::Button));
        palette.setColor(QPalette::WindowText, colourOr(state.fore, QPalette::WindowText));
        widget->setPalette(palette);
        break;
    case ControlType::Button:
        if (design.graphical) {
            static_cast<GraphicalButton*>(widget)->setColours(
                colourOr(back, QPalette::Button), colourOr(state.fore, QPalette::ButtonText));
        }
        break;
    case ControlType::TextBox:
        palette.setColor(QPalette::Base, colourOr(back, QPalette::Base));
        palette.setColor(QPalette::Text, colourOr(state.fore, QPalette::Text));
        widget->setPalette(palette);
        break;
    case ControlType::ComboBox:
    case ControlType::TrayIcon:
        break;
    }
}

void PanelWindow::showEvent(QShowEvent* event)
{
    // Before the first paint: what changed while hidden is shown at once.
    QWidget::showEvent(event);
    render();
}

void PanelWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(panelDesign().backColour, palette()));
}

void PanelWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Only the bare background: a control that does not take double-clicks itself (the arrow
    // of the job list) passes them on to the window, and they are not the window's.
    if (childAt(event->position().toPoint()) != nullptr) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    act([this] { m_panel.exit(); });
}

void PanelWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    endRun();
}

void PanelWindow::endRun()
{
    if (m_ended)
        return;
    m_ended = true;
    m_panel.endOfRun();
    emit runEnded();
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The card number is stored when the focus moves on to another control of the window; the
    // window losing the focus to another window, or a popup menu, is no such move.
    if (watched == m_cardBox && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            m_panel.keepCardNumber();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace shiftloom
