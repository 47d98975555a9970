#pragma once
// The per-user settings store: entries addressed by application, section and key, as text.
// Kept as $XDG_CONFIG_HOME/<app>/<app>.conf.

#include <QString>

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue = {});
void SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value);
