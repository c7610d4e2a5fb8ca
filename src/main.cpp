// SPDX-License-Identifier: MIT
#include "app/SettingsStore.h"
#include "app/SlotTable.h"
#include "platform/WindowsPath.h"
#include "platform/qt/QtSettingsBackend.h"
#include "ui/Form1Model.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    shiftloom::platform::QtSettingsBackend backend;
    shiftloom::SettingsStore settings(backend);
    shiftloom::Form1Model form;
    shiftloom::SlotTable slotTable(form);
    slotTable.restore(settings);
    QString text = QStringLiteral("Ovix Shift-Loom\n");
    for (int i = 0; i < shiftloom::SlotTable::count(); ++i)
        text += QString::fromStdString(slotTable.slot(i).SlotJob()) + QLatin1Char('\n');
    QLabel label(text);
    label.show();
    return app.exec();
}
