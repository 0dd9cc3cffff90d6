#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// The community station directory (radio-browser.info), through its public JSON API.
// Every call waits for its answer, bounded in time and size. Errors are std::runtime_error
// with a message in Spanish.
namespace RadioBrowser {

struct Station {
    QString name;
    QString address; // the stream itself, playlists already resolved by the directory
};

inline constexpr char16_t ServiceRecord[] = u"_api._tcp.radio-browser.info";

// A server as the directory asks its clients to find one: one of those its DNS SRV record
// lists, picked at random.
QUrl findServer(int timeoutMs = 15000);

// The stations of one country (exact two-letter code), broken ones left out, the most
// listened to first. `userAgent` names the program and its version.
QList<Station> stationsOfCountry(const QUrl &server, const QString &countryCode, int limit,
                                 const QString &userAgent, int timeoutMs = 60000);

} // namespace RadioBrowser
