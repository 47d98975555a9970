#pragma once
// The per-user settings store: entries addressed by application, section and key, as text.
// Kept as $XDG_CONFIG_HOME/<app>/<app>.conf.

#include <QByteArray>
#include <QString>

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue = {});
void SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value);
// The same for a value that is bytes (a file's name): kept as plain text when it decodes and
// encodes back to the same bytes, else as bytes.
QByteArray GetSettingBytes(const QString& app, const QString& section, const QString& key);
void SaveSettingBytes(const QString& app, const QString& section, const QString& key,
                      const QByteArray& value);

// The XDG base folders given as relative paths are ignored, as the XDG rules say: unset (and
// such entries dropped from the lists), so that no file the program keeps, nor Qt's, lands
// under the working folder. Called first thing, before anything reads them.
void IgnoreRelativeXdgFolders();
