// SPDX-License-Identifier: MIT
// The widget layer grows here; this file keeps the library non-empty until then.
namespace shiftloom {
int guiLayerVersion()
{
    return 1;
}
} // namespace shiftloom
