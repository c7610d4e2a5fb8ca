// SPDX-License-Identifier: MIT
#pragma once

namespace shiftloom::platform {

/**
 * Ends the process at once: no destructor, no handler of any window runs afterwards. Buffered
 * standard streams are not flushed; the settings backend writes through on every change, so
 * nothing of the worker's is lost by it.
 */
[[noreturn]] void endProcessNow(int exitCode);

} // namespace shiftloom::platform
