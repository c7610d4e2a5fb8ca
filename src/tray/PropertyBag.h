// SPDX-License-Identifier: MIT
#pragma once

#include "Picture.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>

namespace shiftloom {

/**
 * The stored properties of a control: what the host keeps with its window design and hands back
 * when it creates the control again. Values are text, 32-bit integers or pictures.
 */
class PropertyBag final
{
public:
    using Value = std::variant<std::string, std::int32_t, PicturePtr>;

    bool contains(std::string_view key) const { return m_values.find(key) != m_values.end(); }
    /** The text stored under `key`, or `defaultValue` when the key is absent or holds no text. */
    std::string ReadText(std::string_view key, std::string_view defaultValue) const;
    /** The integer stored under `key`, or `defaultValue` when the key is absent or holds no integer. */
    std::int32_t ReadInteger(std::string_view key, std::int32_t defaultValue) const;
    /** The picture stored under `key`, or none. */
    PicturePtr ReadPicture(std::string_view key) const;

    void WriteProperty(std::string_view key, Value value);

private:
    std::map<std::string, Value, std::less<>> m_values;
};

} // namespace shiftloom
