#include "Settings.h"

#include <QSettings>

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
