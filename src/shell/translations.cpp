#include "shell/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace translations {

bool installToolkitChinese(QCoreApplication &app)
{
    // "qt" gathers the catalogues of every toolkit module that has one; the translator lives as
    // long as the application, which owns it.
    auto *translator = new QTranslator(&app);
    const bool loaded =
        translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!loaded || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace translations
