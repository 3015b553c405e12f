#include "dutch_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace zelk {

DutchTranslations::DutchTranslations() {
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    loaded_ = translator_.load(QStringLiteral("qtbase_nl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
              QCoreApplication::installTranslator(&translator_);
}

DutchTranslations::~DutchTranslations() {
    if (loaded_) QCoreApplication::removeTranslator(&translator_);
}

}  // namespace zelk
