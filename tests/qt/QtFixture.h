// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"
#include "panel/Panel.h"
#include "platform/Drives.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "qt/PanelWindow.h"
#include "qt/QtFrontEnd.h"
#include "support/FakeClock.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QMessageBox;
class QWidget;

namespace shiftloom::test {

/** The one QApplication of the test program, made at the first call. */
void ensureApplication();

/**
 * Runs the event loop until `done` holds or `timeoutMs` have passed, and returns whether it
 * holds: for a GoogleTest assertion, `ASSERT_TRUE(waitUntil(...))`.
 */
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

/**
 * Drives for the locate dialog inside a temporary folder: "c:" is `<root>/drive_c`, and a
 * second drive is the host folder `<root>/volume`. The process "stands" in `<root>/volume/work`.
 */
class FakeDriveList final : public platform::DriveList
{
public:
    explicit FakeDriveList(std::string root);
    std::vector<std::string> drives() override;
    std::string currentFolder(std::string_view drive) override;
    std::string processCurrentFolder() override;
    std::string driveOf(std::string_view folder) override;

    std::string driveC() const { return m_root + "/drive_c"; }
    std::string volume() const { return m_root + "/volume"; }

private:
    std::string m_root;
};

/**
 * The panel as the program builds it (model, Qt window, Qt front end), over real files in a private
 * temporary folder and settings in memory.
 */
class QtFixture : public ::testing::Test
{
protected:
    QtFixture();
    ~QtFixture() override;

    /** A data store with its marker, `jobs` in dep.dat and the activities; "DataLoc" names it. */
    void makeStore(const std::vector<TestJob>& jobs = numberedJobs(3),
        std::string_view activities = "ASSEMBLY  first   00000011x\r\nPAINTING  second  00000012x\r\n");
    /** Runs the start-up, then shows the panel and waits until it has the focus. */
    void loadAndShow();

    std::string store() const { return home.path() + "/store"; }
    /** The lines of the store's data file, without their CR LF. */
    std::vector<std::string> dataLines() const;

    QWidget* widget(ControlRef ref) const { return window->control(ref); }
    template<class T> T* widgetAs(ControlRef ref) const { return static_cast<T*>(widget(ref)); }

    /** Makes the application before any member needs it. */
    struct Application
    {
        Application() { ensureApplication(); }
    } application;
    TempDir home;
    platform::PosixPathMapper paths{home.path()};
    platform::PosixFileOps files{paths};
    platform::MemorySettingsBackend backend;
    SettingsStore settings{backend};
    FakeClock clock;
    FakeDriveList drives{home.path()};
    QtFrontEnd frontEnd{settings, files, drives};
    Panel panel{settings, files, clock, frontEnd};
    std::unique_ptr<PanelWindow> window;
};

/**
 * Acts on the top-level widget named `objectName` as soon as it is visible: polled from the
 * event loop, so it also runs inside the modal loop of that very dialog. Gives up after 5 s.
 */
void whenShown(const QString& objectName, std::function<void(QWidget*)> act);
/** Answers the next modal message box with `button`, after `inspect` has looked at it. */
void answerMessageBox(std::function<void(QMessageBox*)> inspect, int button);
/** Chooses the item `text` in the open list of `combo`, with the keyboard, as a worker would. */
void pickFromList(QComboBox* combo, const QString& text);
/** Saves a picture of `widget` as `name` in the screenshot folder; returns its path. */
QString saveScreenshot(QWidget* widget, const QString& name);

} // namespace shiftloom::test
