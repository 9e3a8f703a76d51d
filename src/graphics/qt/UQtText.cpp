#include "UQtText.h"

#include "UCodepage.h"

#include <QList>

QString ToQString(const std::string& win1252) {
    QString out;
    out.reserve(static_cast<qsizetype>(win1252.size()));
    for (char c : win1252) out += QChar(static_cast<char16_t>(Codepage::ToUnicode(static_cast<unsigned char>(c))));
    return out;
}

std::string FromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (char32_t cp : text.toUcs4()) out += static_cast<char>(Codepage::FromUnicode(cp));
    return out;
}
