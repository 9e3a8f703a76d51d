// Build step: writes the emblem as the PNG icons of the installed program,
//   OUT/hicolor/<n>x<n>/apps/NAME.png and OUT/hicolor/<n>x<n>/mimetypes/text-x-zak.png
// for every size n given, from the same picture the program shows. NAME is
// the application id, which names the desktop entry too.
// Usage: zak_icons OUT NAME SIZE...
#include "UEmblem.h"

#include <QDir>
#include <QSaveFile>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "Aufruf: zak_icons VERZEICHNIS NAME GROESSE...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString appIcon = QStringLiteral("apps/%1.png").arg(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QByteArray png = EmblemPng(size);
        if (size < 1 || png.isEmpty()) {
            std::fprintf(stderr, "zak_icons: %s: keine gueltige Groesse\n", argv[i]);
            return 2;
        }
        const QString dir = out + QStringLiteral("/hicolor/%1x%1/").arg(size);
        for (const QString& name : {appIcon, QStringLiteral("mimetypes/text-x-zak.png")}) {
            const QString path = dir + name;
            QDir().mkpath(QFileInfo(path).absolutePath());
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit()) {
                std::fprintf(stderr, "zak_icons: %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
                return 1;
            }
        }
    }
    return 0;
}
