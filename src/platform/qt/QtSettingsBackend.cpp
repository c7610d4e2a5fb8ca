// SPDX-License-Identifier: MIT
#include "QtSettingsBackend.h"

#include "platform/Cp1252.h"

#include <QSettings>

namespace shiftloom::platform {
namespace {

QString fromBytes(std::string_view bytes)
{
    const std::string utf8 = cp1252ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString groupKey(std::string_view section, std::string_view key)
{
    return fromBytes(section) + QLatin1Char('/') + fromBytes(key);
}

} // namespace

QtSettingsBackend::QtSettingsBackend() = default;
QtSettingsBackend::~QtSettingsBackend() = default;

QSettings& QtSettingsBackend::settingsFor(std::string_view app)
{
    auto found = m_settings.find(app);
    if (found == m_settings.end()) {
        auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, fromBytes(app));
        found = m_settings.emplace(std::string(app), std::move(settings)).first;
    }
    return *found->second;
}

std::optional<std::string> QtSettingsBackend::read(std::string_view app, std::string_view section, std::string_view key)
{
    const QVariant value = settingsFor(app).value(groupKey(section, key));
    if (!value.isValid())
        return std::nullopt;
    // A hand-edited file may hold an unquoted value with commas, which QSettings reads as a list.
    const QString text =
        value.typeId() == QMetaType::QStringList ? value.toStringList().join(QStringLiteral(", ")) : value.toString();
    return utf8ToCp1252(text.toStdString());
}

void QtSettingsBackend::write(
    std::string_view app, std::string_view section, std::string_view key, std::string_view value)
{
    QSettings& settings = settingsFor(app);
    settings.setValue(groupKey(section, key), fromBytes(value));
    settings.sync();
}

void QtSettingsBackend::writeAll(
    std::string_view app, std::string_view section, const std::vector<std::pair<std::string, std::string>>& values)
{
    QSettings& settings = settingsFor(app);
    for (const auto& [key, value] : values)
        settings.setValue(groupKey(section, key), fromBytes(value));
    settings.sync();
}

QString QtSettingsBackend::location(std::string_view app)
{
    return settingsFor(app).fileName();
}

} // namespace shiftloom::platform
