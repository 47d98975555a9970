#pragma once
// The program's texts in the user's language, with Qt's own (the message boxes' Yes and No, the
// file dialog's buttons and labels) in the same language. A language Patchery has no
// translation for keeps every text as written, Qt's included.

#include <QLocale>

#include <memory>
#include <vector>

class QTranslator;

class Translations {
  public:
    // Installs the translations for this locale's languages while the object lives.
    explicit Translations(const QLocale& locale = QLocale());
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // Where the program's own translations are built in: patchery_<language>.qm.
    static QString Folder();

  private:
    std::vector<std::unique_ptr<QTranslator>> installed_;
};
