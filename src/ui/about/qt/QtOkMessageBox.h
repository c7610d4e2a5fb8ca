// SPDX-License-Identifier: MIT
#pragma once

#include "ui/about/SysInfo.h"

class QWidget;

namespace shiftloom {

/** OkMessageBox on a QMessageBox, modal over `parent` (or the application). */
class QtOkMessageBox final : public OkMessageBox
{
public:
    explicit QtOkMessageBox(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void show(std::string_view text, std::string_view title) override;

private:
    QWidget* m_parent;
};

} // namespace shiftloom
