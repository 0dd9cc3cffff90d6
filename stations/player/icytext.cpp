#include "icytext.h"

#include "legacytext.h"

namespace {

bool isControl(QChar c) {
    return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
           c.category() == QChar::Separator_Paragraph;
}

} // namespace

QString IcyText::plainLine(const QByteArray &bytes) {
    const QString text = LegacyText::decode(bytes);
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        if (!isControl(c))
            line += c;
        else if (!line.endsWith(u' '))
            line += u' ';
    }
    return line.trimmed();
}
