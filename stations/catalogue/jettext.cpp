#include "jettext.h"

#include <QCollator>
#include <QLocale>

namespace JetText {

namespace {

const QCollator &collator() {
    static const QCollator general = [] {
        QCollator c(QLocale(QLocale::English, QLocale::UnitedStates));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return general;
}

QString withoutWordBreaks(const QString &text) {
    QString s = text;
    s.removeIf([](QChar c) { return c == u'\'' || c == u'-' || c == QChar(0x2019); });
    return s;
}

} // namespace

bool equal(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int compare(const QString &a, const QString &b) {
    const int byLetters = collator().compare(withoutWordBreaks(a), withoutWordBreaks(b));
    return byLetters != 0 ? byLetters : collator().compare(a, b);
}

} // namespace JetText
