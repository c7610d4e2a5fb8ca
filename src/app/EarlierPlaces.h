// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"

#include <string>
#include <vector>

namespace shiftloom {

/**
 * Linux: the set-up that earlier versions kept at places of their own (see
 * `platform::earlierDriveFolder`) moves to this version's places at the start-up: Card-Warden's
 * registration to this account's registration folder, the fallback folder's job list and activity
 * list to the fallback folder. A file already at its new place is never replaced, and a store is
 * never touched. The offline buffer they left is the delivery's (`delivery::kEarlierBuffer`), a
 * data folder named with a drive letter `findDataFolder`'s. On Windows the places are the same as
 * ever, and nothing moves.
 */
void moveEarlierSetUp(platform::FileOps& files);

/**
 * The registration files the start-up reads, in order: the system's
 * (`platform::registrationFiles`), and on Linux, last, an earlier version's that could not be moved.
 */
std::vector<std::string> registrationFiles();

} // namespace shiftloom
