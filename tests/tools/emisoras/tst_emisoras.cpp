#include "catalogue_fixture.h"
#include "cataloguereplacement.h"
#include "jetcatalogue.h"
#include "testfiles.h"
#include "toneserver.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Result {
    int code = -1;
    QString out, err;
};

// As the program reads it: the countries in order, then every station, "País|Nombre|URL|Medio".
QStringList programView(const QString &path) {
    const std::unique_ptr<TableCatalogue> c = JetCatalogue::open(path);
    const auto rows = [&](const QString &query) {
        QStringList seen;
        for (CatalogueRecordset rs = c->openRecordset(query); !rs.atEnd(); rs.moveNext()) {
            QStringList row;
            for (const QString &column : rs.columnNames())
                row.append(rs.isNull(column) ? u"(Null)"_s : rs.text(column));
            seen.append(row.join(u'|'));
        }
        return seen;
    };
    return QStringList{rows(u"Select * from Paises order by Paises"_s).join(u", "_s)} +
           rows(u"Select * from Radios"_s);
}

const QString x = u"http://x/"_s;

QJsonObject entry(const QString &name, const QString &url = x, const QString &resolved = x,
                  int checkOk = 1, const QString &code = u"AR"_s) {
    return {{u"name"_s, name},        {u"url"_s, url},        {u"url_resolved"_s, resolved},
            {u"countrycode"_s, code}, {u"codec"_s, u"MP3"_s}, {u"lastcheckok"_s, checkOk}};
}

const QString tally = u"Añadidas: %1. Repetidas (omitidas): %2. No válidas (omitidas): %3.\n"_s;

} // namespace

class TestEmisoras : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_catalogue = m_dir.filePath(u"RadioStore.mdb"_s);

    // From a folder of its own, as from the program's; events flow so the test's server answers.
    Result run(const QStringList &arguments) {
        QProcess p;
        QSignalSpy finished(&p, &QProcess::finished);
        p.start(file(u"sintonet-valdren-emisoras"_s), arguments);
        if (!finished.wait(60000) || p.exitStatus() != QProcess::NormalExit)
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QString file(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void init() {
        const QString tool = file(u"sintonet-valdren-emisoras"_s);
        QVERIFY(QFile::exists(tool) || QFile::copy(QStringLiteral(SV_EMISORAS), tool));
        // A Null address and an empty name: what older files may hold is written back as is.
        QVERIFY(TestFiles::write(
            m_catalogue, CatalogueFixture::catalogueBytes(
                             {u"España"_s, u"Argentina"_s, u"Côte d'Ivoire"_s},
                             {{u"España"_s, u"Cadena SER"_s, u"http://ser/a"_s, u"WMP"_s},
                              {u"Argentina"_s, u"Mitre"_s, u"https://mitre/m"_s, u"RP"_s},
                              {u"España"_s, u""_s, std::nullopt, u"WMP"_s},
                              {u"Côte d'Ivoire"_s, u"RTI"_s, u"http://rti/"_s, u"WMP"_s}})));
    }

    // A station without an address is left out of the list. Refused, leaving the file alone:
    // control characters (they break the settings file's lines and the terminal), a non-network
    // address (the player would open local files), a name the country has in any letter case.
    void exportsAndChangesAreWhatTheProgramReads() {
        for (const auto &[name, text] :
             {std::pair{u"todo.csv"_s, "Pais,NombreRadio,URLRadio,Medio\r\n"
                                       "España,Cadena SER,http://ser/a,WMP\r\n"
                                       "Argentina,Mitre,https://mitre/m,RP\r\n"
                                       "España,\"\",,WMP\r\nCôte d'Ivoire,RTI,http://rti/,WMP\r\n"},
              {u"todo.m3u"_s, "#EXTM3U\n#EXTINF:-1,España - Cadena SER\nhttp://ser/a\n"
                              "#EXTINF:-1,Argentina - Mitre\nhttps://mitre/m\n"
                              "#EXTINF:-1,Côte d'Ivoire - RTI\nhttp://rti/\n"}}) {
            QCOMPARE(run({u"exportar"_s, file(name)}).code, 0);
            QCOMPARE(TestFiles::read(file(name)), QByteArray(text));
        }
        const QByteArray original = TestFiles::read(m_catalogue);
        for (const QString &bad : {u"A\nB|http://a/"_s, u"A\u2028B|http://a/"_s, u"  |http://a/"_s,
                                   u"A|file:///etc/passwd"_s, u"CADENA ser|http://otra/"_s}) {
            const Result r = run(QStringList{u"agregar"_s, u"España"_s} + bad.split(u'|'));
            QVERIFY2(r.code == 1 && !r.err.isEmpty(), qPrintable(r.err));
        }
        QCOMPARE(TestFiles::read(m_catalogue), original);
        QVERIFY(!QFile::exists(CatalogueReplacement::backupPath(m_catalogue)));

        for (const QStringList &added :
             {QStringList{u"españa"_s, u"Radio Clásica"_s, u"https://rne/clasica.mp3"_s, u"rp"_s},
              {u"Uruguay"_s, u"El Espectador"_s, u"http://esp/"_s},
              {u"Côte d'Ivoire"_s, u"Fréquence 2"_s, u"mms://f2/"_s}}) {
            const QByteArray before = TestFiles::read(m_catalogue);
            QCOMPARE(run(QStringList{u"agregar"_s} + added).code, 0);
            QCOMPARE(TestFiles::read(CatalogueReplacement::backupPath(m_catalogue)), before);
        }
        // Removing the last station of a country removes the country.
        QCOMPARE(run({u"quitar"_s, u"uruguay"_s, u"el espectador"_s}).code, 0);
        QCOMPARE(run({u"quitar"_s, u"España"_s, u"No existe"_s}).code, 1);
        QCOMPARE(programView(m_catalogue),
                 (QStringList{u"Argentina, Côte d'Ivoire, España"_s,
                              u"España|Cadena SER|http://ser/a|WMP"_s,
                              u"Argentina|Mitre|https://mitre/m|RP"_s, u"España||(Null)|WMP"_s,
                              u"Côte d'Ivoire|RTI|http://rti/|WMP"_s,
                              u"España|Radio Clásica|https://rne/clasica.mp3|RP"_s,
                              u"Côte d'Ivoire|Fréquence 2|mms://f2/|WMP"_s}));
        QCOMPARE(run({u"listar"_s}).out, u"Argentina\nCôte d'Ivoire\nEspaña\n"_s);
        const Result r = run({u"--catalogo"_s, file(u"otro.mdb"_s), u"listar"_s});
        QVERIFY2(r.code == 1 && r.err.contains(u"otro.mdb"_s), qPrintable(r.err));

        // A change killed before the rename leaves the old catalogue.
        const QByteArray last = TestFiles::read(m_catalogue);
        const QByteArray changed = CatalogueFixture::catalogueBytes(
            {u"España"_s}, {{u"España"_s, u"Nueva"_s, u"http://nueva/"_s, u"WMP"_s}});

        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // A throw ends the child by abort, which fails the test as an exit would.
            CatalogueReplacement::replace(m_catalogue, changed, [] { ::raise(SIGKILL); });
            ::_exit(3);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(TestFiles::read(m_catalogue), last);
        QCOMPARE(TestFiles::read(CatalogueReplacement::pendingPath(m_catalogue)), changed);

        // The next change starts afresh over what the killed one left.
        QCOMPARE(run({u"agregar"_s, u"España"_s, u"Otra"_s, u"http://otra/"_s}).code, 0);
        QVERIFY(!QFile::exists(CatalogueReplacement::pendingPath(m_catalogue)));
        QCOMPARE(programView(m_catalogue).mid(7), QStringList{u"España|Otra|http://otra/|WMP"_s});
    }

    void playlistsAndTheDirectoryAreImported() {
        // The file and its options, the import's report (none when refused), the file's text.
        const std::pair<std::pair<QStringList, QString>, QByteArray> imports[] = {
            {{{u"lista.m3u"_s, u"--pais"_s, u"España"_s}, tally.arg(2).arg(2).arg(1)},
             "#EXTM3U\r\n#EXTINF:-1 tvg-name=\"a,b\" group-title=\"x\",Radio Uno, la primera\r\n"
             "http://uno/live\r\n\r\nhttp://sin-titulo/\r\n"
             "#EXTINF:-1,Local\r\n/home/user/musica.mp3\r\n"
             "#EXTINF:-1,Cadena SER\r\nhttp://ser/otra\r\n"
             "#EXTINF:-1,Radio Uno (otra vez)\r\nhttp://uno/live\r\n"},
            // Windows-1252 text, entries out of order.
            {{{u"lista.pls"_s, u"--pais=Perú"_s}, tally.arg(2).arg(0).arg(0)},
             "[playlist]\nNumberOfEntries=2\nFile2=http://dos/\nTitle2=Dos\n"
             "File1=http://uno/\nTitle1=Caf\xe9 FM\nVersion=2\n"},
            {{{u"lista.xspf"_s, u"--pais"_s, u"Perú"_s}, tally.arg(2).arg(0).arg(0)},
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
             "xmlns=\"http://xspf.org/ns/0/\"><title>Mis radios</title><trackList>"
             "<track><location>https://tres/s</location><title>Tres &amp; Co</title></track>"
             "<track><title>Sin dirección</title></track>"
             "<track><location>rtsp://cuatro/s</location></track></trackList></playlist>\n"},
            {{{u"otras.csv"_s}, tally.arg(1).arg(1).arg(1)},
             "Pais,NombreRadio,URLRadio,Medio\nChile,Bío-Bío,http://biobio/,RP\n"
             "chile,BÍO-BÍO,http://otra/,WMP\nChile,Mala,http://mala/,XX\n"},
            // A broken file is refused, not half read.
            {{{u"rota.xspf"_s, u"--pais=X"_s}, QString()}, "<playlist><trackList><track>"}};
        for (const auto &[how, text] : imports) {
            const auto &[arguments, report] = how;
            QVERIFY(TestFiles::write(file(arguments[0]), text));
            const Result r = run(QStringList{u"importar"_s, file(arguments[0])} + arguments.mid(1));
            QVERIFY2(r.out == report && r.code == (report.isEmpty() ? 1 : 0),
                     qPrintable(r.out + r.err));
        }

        ToneServer server(m_dir.path());
        QVERIFY(server.start());
        const QString directory = server.url({}).toString();
        const auto answer = [&](const QByteArray &status, const QByteArray &body) {
            server.setPage(u"/json/stations/search"_s, status, "application/json", body);
        };
        const QJsonArray stations{
            entry(u" Radio Mitre\n"_s, u"https://m/m.pls"_s, u"https://m/m.mp3"_s),
            entry(u"La 100"_s, u"http://la100/"_s, u""_s),
            entry(u"Rota"_s, x, x, 0),
            entry(u"De otro país"_s, x, x, 1, u"UY"_s),
            entry(u"Nacional \U0001F4FB"_s),
            entry(u"Mitre"_s, u"https://mitre/otra"_s),
            entry(u"Continental"_s)};
        answer("200 OK", QJsonDocument(stations).toJson());

        Result r =
            run({u"radio-browser"_s, u"ar"_s, u"--servidor"_s, directory, u"--limite"_s, u"6"_s});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QByteArray request = server.lastRequest(u"/json/stations/search"_s);
        for (const char *part : {"countrycode=AR", "limit=6", "\r\nUser-Agent: SintonetValdren/"})
            QVERIFY2(request.contains(part), request.constData());
        QCOMPARE(r.out,
                 u"4 emisoras de «Argentina» en el directorio.\n"_s + tally.arg(2).arg(1).arg(1));

        // A country new to the catalogue takes its Spanish name from iso-codes.
        answer("200 OK",
               QJsonDocument(QJsonArray{entry(u"Radio Bremen"_s, x, x, 1, u"DE"_s)}).toJson());
        QCOMPARE(run({u"radio-browser"_s, u"DE"_s, u"--servidor"_s, directory}).code, 0);
        // Entries in the order of their files, after what was there. From the directory: under
        // the catalogue's own spelling of the country, the resolved address preferred; neither
        // the broken station, the other country's nor the one past the limit.
        const QStringList seen = programView(m_catalogue);
        QCOMPARE(seen.first(), u"Alemania, Argentina, Chile, Côte d'Ivoire, España, Perú"_s);
        QCOMPARE(seen.mid(5),
                 (QStringList{u"España|Radio Uno, la primera|http://uno/live|WMP"_s,
                              u"España|http://sin-titulo/|http://sin-titulo/|WMP"_s,
                              u"Perú|Café FM|http://uno/|WMP"_s, u"Perú|Dos|http://dos/|WMP"_s,
                              u"Perú|Tres & Co|https://tres/s|WMP"_s,
                              u"Perú|rtsp://cuatro/s|rtsp://cuatro/s|WMP"_s,
                              u"Chile|Bío-Bío|http://biobio/|RP"_s,
                              u"Argentina|Radio Mitre|https://m/m.mp3|WMP"_s,
                              u"Argentina|La 100|http://la100/|WMP"_s,
                              u"Alemania|Radio Bremen|http://x/|WMP"_s}));

        // Failures say so and leave the catalogue as it was.
        const QByteArray before = TestFiles::read(m_catalogue);
        answer("200 OK", "<html>no</html>");
        QCOMPARE(run({u"radio-browser"_s, u"AR"_s, u"--servidor"_s, directory}).code, 1);
        answer("503 Service Unavailable", "[]");
        r = run({u"radio-browser"_s, u"AR"_s, u"--servidor"_s, directory});
        QVERIFY2(r.code == 1 && r.err.contains(u"No se puede consultar el directorio"_s),
                 qPrintable(r.err));
        QCOMPARE(TestFiles::read(m_catalogue), before);
    }
};

QTEST_GUILESS_MAIN(TestEmisoras)
#include "tst_emisoras.moc"
