#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, app, app);
    return store.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, app, app);
    store.setValue(section + QLatin1Char('/') + key, value);
    store.sync();
}

QByteArray GetSettingBytes(const QString& app, const QString& section, const QString& key) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, app, app);
    const QVariant value = store.value(section + QLatin1Char('/') + key);
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return QFile::encodeName(value.toString());
}

void SaveSettingBytes(const QString& app, const QString& section, const QString& key,
                      const QByteArray& value) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, app, app);
    const QString text = QFile::decodeName(value);
    if (QFile::encodeName(text) == value)
        store.setValue(section + QLatin1Char('/') + key, text);
    else
        store.setValue(section + QLatin1Char('/') + key, value);
    store.sync();
}

void IgnoreRelativeXdgFolders() {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME",
                             "XDG_RUNTIME_DIR"})
        if (qEnvironmentVariableIsSet(name) && QDir::isRelativePath(qEnvironmentVariable(name)))
            qunsetenv(name);
    for (const char* name : {"XDG_CONFIG_DIRS", "XDG_DATA_DIRS"}) {
        if (!qEnvironmentVariableIsSet(name))
            continue;
        QStringList kept = qEnvironmentVariable(name).split(QLatin1Char(':'));
        kept.removeIf([](const QString& folder) { return QDir::isRelativePath(folder); });
        if (kept.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(kept.join(QLatin1Char(':'))));
    }
}
