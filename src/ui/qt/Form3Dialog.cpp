// SPDX-License-Identifier: MIT
#include "Form3Dialog.h"

#include "ui/Form3Model.h"
#include "ui/qt/DesignLook.h"
#include "ui/qt/PickComboBox.h"

#include <QLineEdit>

namespace shiftloom {
namespace {

constexpr int kClientWidth = 2400;
constexpr int kClientHeight = 870;
constexpr FontDesign kDialogFont{"MS Sans Serif", 8.25, false};

} // namespace

Form3Dialog::Form3Dialog(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , m_scale(TwipsScale::forScreen(parent ? parent->screen() : nullptr))
    , m_combo(new PickComboBox(this))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("SELECT ACTIVITY"));
    setFont(designFont(kDialogFont));
    setFixedSize(m_scale.toPixels(kClientWidth), m_scale.toPixels(kClientHeight));
    setSizeGripEnabled(false);

    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_combo->setGeometry(m_scale.toPixels(180, 240, 1995, 315));
    // An activity item (code, "  :  ", number) is 21 characters; the stand-in for the dialog's
    // font is wider than the original, so the box takes the narrow cut of the same face, in
    // which the whole item fits the designed width.
    QFont narrow = designFont(FontDesign{"Arial Narrow", kDialogFont.points, false});
    m_combo->setFont(narrow);
    connect(m_combo, &PickComboBox::itemPicked, this, &Form3Dialog::picked);
}

void Form3Dialog::bind(Form3Model& model)
{
    m_model = &model;
    QStringList items;
    items.reserve(static_cast<qsizetype>(model.items().size()));
    for (const std::string& item : model.items())
        items.push_back(toQString(item));
    m_combo->setItems(items);
    m_combo->showText(toQString(model.text()));
    m_combo->setFocus(Qt::OtherFocusReason);
    // The whole current activity selected, shown from its start: the code comes first, and an
    // item is wider than the box.
    QLineEdit* edit = m_combo->lineEdit();
    const auto length = static_cast<int>(edit->text().size());
    edit->setSelection(length, -length);
}

int Form3Dialog::execCentredOn(const QWidget* over)
{
    if (over && over->isVisible()) {
        // The native window first, so that its frame is known where the platform can tell it
        // before the first showing.
        winId();
        QRect target(QPoint(), frameGeometry().size());
        target.moveCenter(over->frameGeometry().center());
        move(target.topLeft());
    }
    return exec();
}

void Form3Dialog::picked(const QString& item)
{
    if (!m_model)
        return;
    m_model->Combo1_Click(fromQString(item));
    m_combo->showText(toQString(m_model->text()));
    if (m_model->hidden())
        accept();
}

} // namespace shiftloom
