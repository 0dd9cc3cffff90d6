#include "emisorastool.h"

#include "catalogueerror.h"
#include "catalogueexport.h"
#include "cataloguereplacement.h"
#include "catalogueschema.h"
#include "countrynames.h"
#include "csvreader.h"
#include "playlistfile.h"
#include "radiobrowser.h"
#include "stationcatalogue.h"
#include "stationcheck.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QTextStream>
#include <QUrl>

#include <optional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace EmisorasTool {

namespace {

constexpr qint64 MaxImportBytes = 64 * 1024 * 1024;
constexpr int DefaultLimit = 500;
constexpr int MaxLimit = 100000;

struct UsageError {
    QString message;
};

[[noreturn]] void fail(const QString &message) {
    throw std::runtime_error(message.toStdString());
}

struct CommandLine {
    QStringList words;
    QString catalogue;
    std::optional<QString> country;
    std::optional<QString> limit;
    std::optional<QString> server;
    bool help = false;
};

CommandLine parse(const QStringList &arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (optionsEnded || !a.startsWith(u"-"_s) || a == u"-"_s) {
            line.words.append(a);
            continue;
        }
        if (a == u"--"_s) {
            optionsEnded = true;
            continue;
        }
        if (a == u"--help"_s || a == u"-h"_s || a == u"--ayuda"_s) {
            line.help = true;
            continue;
        }
        QString name = a;
        std::optional<QString> value;
        if (const qsizetype eq = a.indexOf(u'='); eq > 0) {
            name = a.left(eq);
            value = a.mid(eq + 1);
        }
        std::optional<QString> *target = nullptr;
        std::optional<QString> catalogue;
        if (name == u"--catalogo"_s || name == u"--catálogo"_s)
            target = &catalogue;
        else if (name == u"--pais"_s || name == u"--país"_s)
            target = &line.country;
        else if (name == u"--limite"_s || name == u"--límite"_s)
            target = &line.limit;
        else if (name == u"--servidor"_s)
            target = &line.server;
        else
            throw UsageError{u"Opción desconocida: «%1»."_s.arg(a)};
        if (!value) {
            if (i + 1 >= arguments.size())
                throw UsageError{u"A la opción «%1» le falta su valor."_s.arg(name)};
            value = arguments[++i];
        }
        *target = *value;
        if (catalogue)
            line.catalogue = *catalogue;
    }
    return line;
}

// Texts the user typed: spaces around them are not part of a name or an address.
QString word(const CommandLine &line, qsizetype i) {
    return line.words.value(i).trimmed();
}

void expectWords(const CommandLine &line, qsizetype least, qsizetype most) {
    const qsizetype n = line.words.size() - 1;
    if (n < least || n > most)
        throw UsageError{u"«%1» lleva %2 argumentos."_s.arg(line.words[0])
                             .arg(least == most ? QString::number(least)
                                                : u"de %1 a %2"_s.arg(least).arg(most))};
}

void refuseOptions(const CommandLine &line, bool country, bool directory) {
    if ((line.country && !country) || ((line.limit || line.server) && !directory))
        throw UsageError{u"Esa opción no se usa con «%1»."_s.arg(line.words[0])};
}

QByteArray readInput(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(u"No se puede leer «%1»: %2."_s.arg(path, f.errorString()));
    if (f.size() > MaxImportBytes)
        fail(u"«%1» pasa de %2 MB."_s.arg(path).arg(MaxImportBytes / (1024 * 1024)));
    const QByteArray bytes = f.read(MaxImportBytes + 1);
    if (f.error() != QFileDevice::NoError)
        fail(u"No se puede leer «%1»: %2."_s.arg(path, f.errorString()));
    if (bytes.size() > MaxImportBytes)
        fail(u"«%1» pasa de %2 MB."_s.arg(path).arg(MaxImportBytes / (1024 * 1024)));
    return bytes;
}

// One tool at a time changes a catalogue: two at once would each write back what they read
// and lose the other's change.
class ChangeLock {
public:
    explicit ChangeLock(const QString &catalogue)
        : m_lock(catalogue + u".lock"_s) {
        m_lock.setStaleLockTime(0);
        if (m_lock.tryLock(10000))
            return;
        if (m_lock.error() == QLockFile::LockFailedError)
            fail(u"Otro proceso está cambiando el catálogo «%1»; inténtelo de nuevo."_s.arg(
                catalogue));
        fail(u"No se puede cambiar el catálogo «%1»: no se puede escribir en su carpeta."_s.arg(
            catalogue));
    }

private:
    QLockFile m_lock;
};

void save(const StationCatalogue &catalogue, const QString &path) {
    CatalogueReplacement::replace(path, catalogue.toWriter().toBytes());
}

struct Tally {
    int added = 0;
    int repeated = 0;
    int refused = 0;
};

// Adds one station of a list; what is wrong with it goes to `err`, naming where it came from.
void addEntry(StationCatalogue &catalogue, Tally &tally, const QString &where,
              const QString &country, const QString &name, const QString &address,
              const QString &kind, QTextStream &err) {
    const QString problem = StationCheck::problem(country, name, address);
    if (!problem.isEmpty()) {
        err << where << u": "_s << problem << u" Se omite.\n"_s;
        ++tally.refused;
        return;
    }
    // A list that names one stream twice, or a stream the country already has, adds it once.
    if (!catalogue.hasAddress(country, address) && catalogue.add(country, name, address, kind))
        ++tally.added;
    else
        ++tally.repeated;
}

int finishImport(const StationCatalogue &catalogue, const Tally &tally, const QString &path,
                 QTextStream &out) {
    if (tally.added > 0)
        save(catalogue, path);
    out << u"Añadidas: %1. Repetidas (omitidas): %2. No válidas (omitidas): %3.\n"_s
               .arg(tally.added)
               .arg(tally.repeated)
               .arg(tally.refused);
    return tally.added == 0 && tally.refused > 0 ? 1 : 0;
}

int listar(const CommandLine &line, const QString &path, QTextStream &out) {
    expectWords(line, 0, 1);
    const StationCatalogue catalogue = StationCatalogue::load(path);
    if (line.words.size() == 1) {
        for (const QString &country : catalogue.countries())
            out << country << u'\n';
        return 0;
    }
    const QString country = word(line, 1);
    if (!catalogue.hasCountry(country))
        fail(u"El catálogo no tiene el país «%1»."_s.arg(country));
    for (const StationCatalogue::Station &s : catalogue.stationsOf(country)) {
        out << s.name.value_or(QString()) << u'\t' << s.address.value_or(QString()) << u'\t'
            << s.kind.value_or(QString()) << u'\n';
    }
    return 0;
}

QString kindOf(const QString &text) {
    const QString kind = text.trimmed().toUpper();
    if (kind.isEmpty())
        return u"WMP"_s;
    if (kind != u"WMP"_s && kind != u"RP"_s)
        return {};
    return kind;
}

int agregar(const CommandLine &line, const QString &path, QTextStream &out) {
    expectWords(line, 3, 4);
    const QString kind = kindOf(word(line, 4));
    if (kind.isEmpty())
        throw UsageError{u"El medio debe ser WMP o RP, no «%1»."_s.arg(word(line, 4))};
    const QString country = word(line, 1);
    const QString name = word(line, 2);
    const QString address = word(line, 3);
    const QString problem = StationCheck::problem(country, name, address);
    if (!problem.isEmpty())
        fail(problem);
    const ChangeLock lock(path);
    StationCatalogue catalogue = StationCatalogue::load(path);
    const QString spelling = catalogue.countrySpelling(country);
    if (!catalogue.add(country, name, address, kind))
        fail(u"El país «%1» ya tiene una emisora llamada «%2»."_s.arg(spelling, name));
    save(catalogue, path);
    out << u"Añadida «%1» a «%2».\n"_s.arg(name, spelling);
    return 0;
}

int quitar(const CommandLine &line, const QString &path, QTextStream &out) {
    expectWords(line, 2, 2);
    const QString country = word(line, 1);
    const QString name = word(line, 2);
    const ChangeLock lock(path);
    StationCatalogue catalogue = StationCatalogue::load(path);
    const QString spelling = catalogue.countrySpelling(country);
    if (catalogue.remove(country, name) == 0)
        fail(u"El país «%1» no tiene ninguna emisora llamada «%2»."_s.arg(spelling, name));
    save(catalogue, path);
    out << u"Quitada «%1» de «%2».\n"_s.arg(name, spelling);
    if (!catalogue.hasCountry(country))
        out << u"«%1» ya no tiene emisoras y sale de la lista de países.\n"_s.arg(spelling);
    return 0;
}

void importCsv(StationCatalogue &catalogue, Tally &tally, const QString &file,
               const QByteArray &bytes, QTextStream &err) {
    const QList<CsvReader::Record> records = CsvReader::parse(bytes);
    const QStringList columns = CatalogueSchema::RadiosColumns();
    QStringList header;
    if (!records.isEmpty()) {
        for (const CsvReader::Field &f : records.first())
            header.append(f.value_or(QString()).trimmed());
    }
    if (header != columns)
        fail(u"%1: la primera línea debe ser «%2»."_s.arg(file, columns.join(u',')));
    for (qsizetype i = 1; i < records.size(); ++i) {
        const CsvReader::Record &r = records[i];
        const QString where = u"%1, registro %2"_s.arg(file).arg(i + 1);
        if (r.size() != columns.size()) {
            err << where << u": tiene %1 campos en vez de 4. Se omite.\n"_s.arg(r.size());
            ++tally.refused;
            continue;
        }
        const QString kind = kindOf(r[3].value_or(QString()));
        if (kind.isEmpty()) {
            err << where << u": el medio «%1» no es WMP ni RP. Se omite.\n"_s.arg(*r[3]);
            ++tally.refused;
            continue;
        }
        addEntry(catalogue, tally, where, r[0].value_or(QString()).trimmed(),
                 r[1].value_or(QString()).trimmed(), r[2].value_or(QString()).trimmed(), kind, err);
    }
}

int importar(const CommandLine &line, const QString &path, QTextStream &out, QTextStream &err) {
    expectWords(line, 1, 1);
    refuseOptions(line, true, false);
    const QString file = line.words[1];
    const bool csv = file.endsWith(u".csv"_s, Qt::CaseInsensitive);
    const PlaylistFile::Kind kind = PlaylistFile::kindOf(file);
    if (!csv && kind == PlaylistFile::Kind::Unknown)
        throw UsageError{
            u"«%1» no es .csv, .m3u, .m3u8, .pls ni .xspf: no se sabe leerlo."_s.arg(file)};
    if (csv && line.country)
        throw UsageError{u"Un CSV trae el país de cada emisora: --pais no se usa con él."_s};
    if (!csv && !line.country)
        throw UsageError{u"Las listas no dicen el país: indíquelo con --pais PAÍS."_s};
    const QByteArray bytes = readInput(file);

    const ChangeLock lock(path);
    StationCatalogue catalogue = StationCatalogue::load(path);
    Tally tally;
    if (csv) {
        importCsv(catalogue, tally, file, bytes, err);
    } else {
        const QString country = line.country->trimmed();
        for (const PlaylistFile::Entry &e : PlaylistFile::parse(kind, bytes)) {
            addEntry(catalogue, tally, u"%1, entrada %2"_s.arg(file).arg(e.position), country,
                     e.title.isEmpty() ? e.address : e.title, e.address, u"WMP"_s, err);
        }
    }
    return finishImport(catalogue, tally, path, out);
}

int exportar(const CommandLine &line, const QString &path, QTextStream &out) {
    expectWords(line, 1, 1);
    const QString file = line.words[1];
    const bool m3u = file.endsWith(u".m3u"_s, Qt::CaseInsensitive) ||
                     file.endsWith(u".m3u8"_s, Qt::CaseInsensitive);
    const StationCatalogue catalogue = StationCatalogue::load(path);
    const QByteArray bytes =
        m3u ? CatalogueExport::toM3u(catalogue) : CatalogueExport::toCsv(catalogue);
    QSaveFile output(file);
    if (!output.open(QIODevice::WriteOnly) || output.write(bytes) != bytes.size() ||
        !output.commit())
        fail(u"No se puede escribir «%1»: %2."_s.arg(file, output.errorString()));
    out << u"Exportadas %1 emisoras a «%2».\n"_s.arg(catalogue.stations().size()).arg(file);
    return 0;
}

int radioBrowser(const CommandLine &line, const QString &path, const QString &userAgent,
                 QTextStream &out, QTextStream &err) {
    expectWords(line, 1, 1);
    refuseOptions(line, false, true);
    int limit = DefaultLimit;
    if (line.limit) {
        bool ok = false;
        limit = line.limit->toInt(&ok);
        if (!ok || limit < 1 || limit > MaxLimit)
            throw UsageError{u"--limite debe ser un número de 1 a %1."_s.arg(MaxLimit)};
    }
    QUrl server;
    if (line.server) {
        server = QUrl(*line.server, QUrl::StrictMode);
        const QString scheme = server.scheme().toLower();
        if (!server.isValid() || server.host().isEmpty() ||
            (scheme != u"http"_s && scheme != u"https"_s))
            throw UsageError{u"--servidor debe ser una dirección http o https."_s};
    }
    const QString code = word(line, 1).toUpper();
    const QString countryName = CountryNames::spanishName(code);

    // Asking the directory can take a while: the catalogue is locked only once it answered.
    if (!line.server)
        server = RadioBrowser::findServer();
    const QList<RadioBrowser::Station> found =
        RadioBrowser::stationsOfCountry(server, code, limit, userAgent);

    const ChangeLock lock(path);
    StationCatalogue catalogue = StationCatalogue::load(path);
    const QString country = catalogue.countrySpelling(countryName);
    Tally tally;
    for (qsizetype i = 0; i < found.size(); ++i) {
        addEntry(catalogue, tally, u"Directorio, emisora %1 («%2»)"_s.arg(i + 1).arg(found[i].name),
                 country, found[i].name, found[i].address, u"WMP"_s, err);
    }
    out << u"%1 emisoras de «%2» en el directorio.\n"_s.arg(found.size()).arg(country);
    return finishImport(catalogue, tally, path, out);
}

} // namespace

QString usage() {
    return u"Uso: sintonet-valdren-emisoras [--catalogo RUTA] ORDEN [ARGUMENTOS]\n"
           u"\n"
           u"Cambia el catálogo de emisoras de Sintonet Valdren (RadioStore.mdb, junto a este\n"
           u"programa salvo que --catalogo indique otro). Cada cambio reescribe el catálogo\n"
           u"entero y guarda el anterior como RadioStore.mdb.bak. El programa ve los cambios\n"
           u"la próxima vez que se inicia.\n"
           u"\n"
           u"Órdenes:\n"
           u"  listar [PAÍS]                       los países, o las emisoras de un país\n"
           u"                                      (nombre, dirección y medio)\n"
           u"  agregar PAÍS NOMBRE DIRECCIÓN [WMP|RP]\n"
           u"                                      añade una emisora (medio WMP si se omite)\n"
           u"  quitar PAÍS NOMBRE                  quita una emisora (y el país si se queda\n"
           u"                                      sin emisoras)\n"
           u"  importar FICHERO [--pais PAÍS]      añade las emisoras de un CSV\n"
           u"                                      (Pais,NombreRadio,URLRadio,Medio) o de una\n"
           u"                                      lista .m3u, .m3u8, .pls o .xspf (éstas\n"
           u"                                      necesitan --pais); omite las repetidas\n"
           u"  exportar FICHERO                    escribe el catálogo como CSV, o como lista\n"
           u"                                      M3U si el nombre acaba en .m3u\n"
           u"  radio-browser CÓDIGO [--limite N] [--servidor URL]\n"
           u"                                      añade las emisoras de un país (código ISO\n"
           u"                                      3166, p. ej. AR) del directorio\n"
           u"                                      radio-browser.info; las %1 más escuchadas\n"
           u"                                      si no se indica --limite\n"
           u"\n"
           u"Las direcciones deben ser http, https, mms, rtsp o rtmp.\n"_s.arg(DefaultLimit);
}

int run(const QStringList &arguments, const QString &defaultCatalogue, const QString &userAgent,
        QTextStream &out, QTextStream &err) {
    try {
        const CommandLine line = parse(arguments);
        if (line.help) {
            out << usage();
            return 0;
        }
        if (line.words.isEmpty())
            throw UsageError{u"Falta la orden."_s};
        const QString path = line.catalogue.isEmpty() ? defaultCatalogue : line.catalogue;
        const QString command = line.words[0];
        if (command != u"importar"_s && command != u"radio-browser"_s)
            refuseOptions(line, false, false);
        if (command == u"listar"_s)
            return listar(line, path, out);
        if (command == u"agregar"_s)
            return agregar(line, path, out);
        if (command == u"quitar"_s)
            return quitar(line, path, out);
        if (command == u"importar"_s)
            return importar(line, path, out, err);
        if (command == u"exportar"_s)
            return exportar(line, path, out);
        if (command == u"radio-browser"_s)
            return radioBrowser(line, path, userAgent, out, err);
        throw UsageError{u"Orden desconocida: «%1»."_s.arg(command)};
    } catch (const UsageError &e) {
        err << e.message << u"\n\n"_s << usage();
        return 2;
    } catch (const CatalogueError &e) {
        err << e.message() << u'\n';
        return 1;
    } catch (const std::runtime_error &e) {
        err << QString::fromUtf8(e.what()) << u'\n';
        return 1;
    }
}

} // namespace EmisorasTool
