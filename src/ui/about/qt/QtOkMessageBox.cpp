// SPDX-License-Identifier: MIT
#include "QtOkMessageBox.h"

#include "platform/Cp1252.h"

#include <QMessageBox>

namespace shiftloom {

void QtOkMessageBox::show(std::string_view text, std::string_view title)
{
    QMessageBox box(QMessageBox::NoIcon,
        QString::fromStdString(platform::cp1252ToUtf8(title)),
        QString::fromStdString(platform::cp1252ToUtf8(text)),
        QMessageBox::Ok,
        m_parent);
    box.exec();
}

} // namespace shiftloom
