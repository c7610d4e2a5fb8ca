// SPDX-License-Identifier: MIT
#pragma once

#include "panel/ControlNames.h"
#include "panel/Panel.h"
#include "platform/Drives.h"
#include "platform/posix/PosixFileOps.h"
#include "qt/PanelWindow.h"
#include "qt/QtFrontEnd.h"
#include "support/CoreFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <functional>
#include <memory>

class QComboBox;

namespace shiftloom::test {

/**
 * Runs the event loop until `done` holds or `timeoutMs` have passed, and returns whether it
 * holds: for a GoogleTest assertion, `ASSERT_TRUE(waitUntil(...))`.
 */
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

/**
 * The panel as the program builds it (model, Qt window, Qt front end), over real files in a private
 * temporary folder and settings in memory.
 */
class QtFixture : public ::testing::Test
{
protected:
    QtFixture();
    ~QtFixture() override { window.reset(); }

    /** A data store with three jobs and two activities, named by "DataLoc". */
    void makeStore();
    /** Runs the start-up, then shows the panel and waits until it has the focus. */
    void loadAndShow();

    std::string store() const { return home.path() + "/store"; }
    std::vector<std::string> dataLines() const { return recordLines(readFile(store() + "/data")); }
    QWidget* widget(ControlRef ref) const { return window->control(ref); }
    template<class T> T* widgetAs(ControlRef ref) const { return static_cast<T*>(widget(ref)); }

    /** Makes the one application of the test program before any member needs it. */
    struct Application
    {
        Application();
    } application;
    TempDir home;
    HostPathMapper paths = hostPaths(home.path(), home.file("own"));
    platform::PosixFileOps files{paths};
    platform::MemorySettingsBackend backend;
    SettingsStore settings{backend};
    FakeClock clock;
    platform::PosixDriveList drives{home.path() + "/no-mount-table"};
    QtFrontEnd frontEnd{settings, files, drives};
    Panel panel{settings, files, clock, frontEnd};
    std::unique_ptr<PanelWindow> window;
};

/**
 * Acts on the top-level widget named `objectName` as soon as it is visible: polled from the
 * event loop every 20 ms, so it also runs inside the modal loop of that very dialog.
 */
void whenShown(const QString& objectName, std::function<void(QWidget*)> act, int triesLeft = 250);
/** The name a window's widget carries, from the name table. */
QString nameOf(ProgramWindow window);
/** The widget of `control` in `dialog`, found by the name table. */
template<class T> T* dialogControl(const QWidget* dialog, DialogControl control)
{
    return dialog->findChild<T*>(QString::fromLatin1(controlName(control)));
}
/** Answers the next modal message box with `button`, after `inspect` has looked at it. */
void answerMessageBox(std::function<void(QMessageBox*)> inspect, QMessageBox::StandardButton button);
/** Chooses the item `text` in the open list of `combo`, with the keyboard, as a worker would. */
void pickFromList(QComboBox* combo, const QString& text);

} // namespace shiftloom::test
