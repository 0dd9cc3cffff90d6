#pragma once

#include "cataloguepassword.h"
#include "catalogueschema.h"
#include "jetwriter.h"

#include <QList>
#include <QString>

#include <algorithm>

// What the catalogue benchmarks share: a catalogue the size of the public station
// directories, and the spread of repeated timings.
namespace LargeCatalogue {

inline QString countryName(int index) {
    return QStringLiteral("País %1").arg(index, 3, 10, QChar(u'0'));
}

// Writes `stations` stations spread over `countries` countries. With `largest` set, every
// tenth station goes to that country, which then holds far more than the rest, as in the
// directories; the name of its last station is returned.
inline QString write(const QString &file, int stations, int countries,
                     const QString &largest = QString()) {
    JetWriter writer(QString::fromUtf16(CataloguePassword));
    writer.addTable(CatalogueSchema::Paises, {CatalogueSchema::Paises});
    writer.addTable(CatalogueSchema::Radios, CatalogueSchema::RadiosColumns());
    for (int c = 0; c < countries; ++c)
        writer.addRow(CatalogueSchema::Paises, {countryName(c)});
    QString lastOfLargest;
    for (int i = 0; i < stations; ++i) {
        const bool toLargest = !largest.isEmpty() && i % 10 == 0;
        const QString country = toLargest ? largest : countryName(i % countries);
        const QString name = QStringLiteral("Emisora número %1").arg(i);
        if (toLargest)
            lastOfLargest = name;
        writer.addRow(
            CatalogueSchema::Radios,
            {country, name,
             QStringLiteral("https://stream%1.example.org/live/radio-%2.mp3").arg(i % 97).arg(i),
             i % 3 ? QStringLiteral("WMP") : QStringLiteral("RP")});
    }
    writer.writeFile(file);
    return lastOfLargest;
}

struct Spread {
    double median;
    double min;
    double max;
};

inline Spread spread(QList<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.first(), ms.last()};
}

} // namespace LargeCatalogue
