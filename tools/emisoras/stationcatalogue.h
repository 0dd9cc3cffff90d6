#pragma once

#include "cataloguetable.h"
#include "jetwriter.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

// The station catalogue as the tool edits it: the countries and stations of a catalogue file,
// held in memory in the file's order, changed here and written out whole. Lists come from the
// same query texts the program runs, so they show its order. Countries and stations are
// matched as the program matches them: letter case ignored.
class StationCatalogue {
public:
    using Value = CatalogueValue; // no value: Null in the file

    struct Station {
        Value country;
        Value name;
        Value address;
        Value kind;
    };

    // Throws CatalogueError when the file cannot be read as the program reads it.
    static StationCatalogue load(const QString &path);

    // The countries in the program's order, then the stations of one in the file's order.
    QStringList countries() const;
    QList<Station> stationsOf(const QString &country) const;
    const QList<Station> &stations() const { return m_stations; }

    // The spelling the catalogue already has for a country, or the one given.
    QString countrySpelling(const QString &country) const;
    bool hasCountry(const QString &country) const;
    bool hasStation(const QString &country, const QString &name) const;
    // Whether the country already has a station at this address, under any name.
    bool hasAddress(const QString &country, const QString &address) const;

    // Adds the station under the catalogue's spelling of its country, and the country when
    // it is new; false, changing nothing, when the country already has a station of that
    // name. The caller checks the texts first (StationCheck).
    bool add(const QString &country, const QString &name, const QString &address,
             const QString &kind);
    // Removes every station of that name in that country, and the country once it has no
    // station left; the number of stations removed.
    int remove(const QString &country, const QString &name);

    // The whole catalogue as the Jet writer will write it, with the program's password.
    JetWriter toWriter() const;

private:
    using Key = QPair<QString, QString>; // country and name, letter case folded

    static Key key(const QString &country, const QString &name);
    void index();

    QList<Value> m_countries;
    QList<Station> m_stations;
    QSet<Key> m_names;     // every station with a country and a name: imports stay linear
    QSet<Key> m_addresses; // country (case folded) and address, as written
};
