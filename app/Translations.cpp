#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

Translations::Translations(const QLocale& locale) {
    auto own = std::make_unique<QTranslator>();
    if (!own->load(locale, QStringLiteral("patchery"), QStringLiteral("_"), Folder()))
        return;
    // Qt's texts in the language found, so that a window is never half one language.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QLocale(own->language()), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        installed_.push_back(std::move(qt));
    }
    QCoreApplication::installTranslator(own.get());
    installed_.push_back(std::move(own));
}

Translations::~Translations() {
    for (const std::unique_ptr<QTranslator>& translator : installed_)
        QCoreApplication::removeTranslator(translator.get());
}

QString Translations::Folder() {
    return QStringLiteral(":/i18n");
}
