// SPDX-License-Identifier: MIT
#include "PropertyBag.h"

namespace shiftloom {

std::string PropertyBag::ReadText(std::string_view key, std::string_view defaultValue) const
{
    const auto it = m_values.find(key);
    if (it != m_values.end()) {
        if (const auto* text = std::get_if<std::string>(&it->second))
            return *text;
    }
    return std::string(defaultValue);
}

std::int32_t PropertyBag::ReadInteger(std::string_view key, std::int32_t defaultValue) const
{
    const auto it = m_values.find(key);
    if (it != m_values.end()) {
        if (const auto* number = std::get_if<std::int32_t>(&it->second))
            return *number;
    }
    return defaultValue;
}

PicturePtr PropertyBag::ReadPicture(std::string_view key) const
{
    const auto it = m_values.find(key);
    if (it != m_values.end()) {
        if (const auto* picture = std::get_if<PicturePtr>(&it->second))
            return *picture;
    }
    return nullptr;
}

void PropertyBag::WriteProperty(std::string_view key, Value value)
{
    m_values.insert_or_assign(std::string(key), std::move(value));
}

} // namespace shiftloom
