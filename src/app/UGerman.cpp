#include "UGerman.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

const char* const TranslatorName = "ZAKQtGerman";

} // namespace

bool InstallGermanTexts(QCoreApplication& application) {
    // Only Qt's own widgets use the default locale; the language formats
    // its numbers itself.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (application.findChild<QTranslator*>(QString::fromLatin1(TranslatorName), Qt::FindDirectChildrenOnly))
        return true;
    auto* translator = new QTranslator(&application);
    translator->setObjectName(QString::fromLatin1(TranslatorName));
    // Built into the program when the build machine had it; else the
    // system's copy.
    const QString places[] = {QStringLiteral(":/translations"), QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                              QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& place : places)
        if (translator->load(QStringLiteral("qtbase_de"), place) && QCoreApplication::installTranslator(translator))
            return true;
    delete translator;
    return false;
}
