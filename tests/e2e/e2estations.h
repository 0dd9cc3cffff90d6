#pragma once

#include "catalogue_fixture.h"
#include "toneserver.h"

#include <QString>

// What every end-to-end test serves and listens for: a catalogue whose
// stations all play from the test's own tone station on 127.0.0.1.
namespace E2eStations {

// In the order the country list shows them: Chile, España, Perú.
inline QByteArray catalogue(const ToneServer &server) {
    using namespace Qt::StringLiterals;
    const auto url = [&server](const QString &path) { return server.url(path).toString(); };
    return CatalogueFixture::catalogueBytes(
        {u"Perú"_s, u"Chile"_s, u"España"_s},
        {{u"Chile"_s, u"Radio Cordillera"_s, url(u"/file.mp3"_s), u"WMP"_s},
         {u"España"_s, u"Onda Tono"_s, url(u"/live.mp3"_s), u"WMP"_s},
         {u"España"_s, u"Radio L'Estel"_s, url(u"/list.pls"_s), u"RP"_s},
         {u"Perú"_s, u"Tono Andino"_s, url(u"/live.mp3"_s), u"WMP"_s}});
}

} // namespace E2eStations
