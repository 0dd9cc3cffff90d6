#pragma once

#include "catalogue_fixture.h"
#include "toneserver.h"

#include <QString>

// What every end-to-end test serves and listens for: a catalogue whose
// stations all play from the test's own tone station on 127.0.0.1.
namespace E2eStations {

// In the order the country list shows them: Chile, España, Perú.
inline QByteArray catalogue(const ToneServer &server) {
    using CatalogueFixture::Station;
    const auto url = [&server](const char *path) {
        return server.url(QString::fromLatin1(path)).toString();
    };
    return CatalogueFixture::catalogueBytes(
        {QStringLiteral("Perú"), QStringLiteral("Chile"), QStringLiteral("España")},
        {
            Station{QStringLiteral("Chile"), QStringLiteral("Radio Cordillera"), url("/file.mp3"),
                    QStringLiteral("WMP")},
            Station{QStringLiteral("España"), QStringLiteral("Onda Tono"), url("/live.mp3"),
                    QStringLiteral("WMP")},
            Station{QStringLiteral("España"), QStringLiteral("Radio L'Estel"), url("/list.pls"),
                    QStringLiteral("RP")},
            Station{QStringLiteral("Perú"), QStringLiteral("Tono Andino"), url("/live.mp3"),
                    QStringLiteral("WMP")},
        });
}

} // namespace E2eStations
