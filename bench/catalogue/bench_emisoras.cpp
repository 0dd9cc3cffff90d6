#include "cataloguereplacement.h"
#include "jetcatalogue.h"
#include "largecatalogue.h"
#include "stationcatalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;

// Not a test: times one change of a catalogue the size of the public station directory, as the
// station tool makes it: read the file, add a station, write the whole file anew and swap it in.
namespace {

constexpr int Stations = 50000;
constexpr int Countries = 200;
constexpr int Runs = 9;

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"RadioStore.mdb"_s);
    LargeCatalogue::write(file, Stations, Countries);
    const qint64 kib = QFileInfo(file).size() / 1024;

    // In process, step by step, then the tool itself as a user runs it.
    QList<double> load, build, swap, total, tool;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        StationCatalogue catalogue = StationCatalogue::load(file);
        load.append(double(timer.nsecsElapsed()) / 1e6);
        catalogue.add(u"País 001"_s, u"Nueva %1"_s.arg(run), u"http://n.example/"_s, u"WMP"_s);
        qint64 mark = timer.nsecsElapsed();
        const QByteArray bytes = catalogue.toWriter().toBytes();
        build.append(double(timer.nsecsElapsed() - mark) / 1e6);
        mark = timer.nsecsElapsed();
        CatalogueReplacement::replace(file, bytes);
        swap.append(double(timer.nsecsElapsed() - mark) / 1e6);
        total.append(double(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        QProcess p;
        p.start(QStringLiteral(SV_EMISORAS), {u"--catalogo"_s, file, u"agregar"_s, u"País 002"_s,
                                              u"Otra %1"_s.arg(run), u"http://o.example/"_s});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            out << "the tool failed: " << p.readAllStandardError() << '\n';
            return 1;
        }
        tool.append(double(timer.nsecsElapsed()) / 1e6);
    }

    // A directory's worth of new stations in one import: each is checked against those there.
    QString m3u = u"#EXTM3U\n"_s;
    for (int i = 0; i < Stations; ++i)
        m3u += u"#EXTINF:-1,Importada %1\nhttp://i.example/%1\n"_s.arg(i);
    QFile list(dir.filePath(u"lista.m3u"_s));
    if (!list.open(QIODevice::WriteOnly) || list.write(m3u.toUtf8()) < 0)
        return 1;
    list.close();
    QElapsedTimer importTimer;
    importTimer.start();
    QProcess p;
    p.start(QStringLiteral(SV_EMISORAS),
            {u"--catalogo"_s, file, u"importar"_s, list.fileName(), u"--pais"_s, u"País 003"_s});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return 1;
    const double importMs = double(importTimer.nsecsElapsed()) / 1e6;

    out << Qt::fixed;
    out.setRealNumberPrecision(1);
    const auto line = [&](const char *what, const QList<double> &ms) {
        const LargeCatalogue::Spread s = LargeCatalogue::spread(ms);
        out << what << ": median " << s.median << " ms, min " << s.min << ", max " << s.max << " ("
            << Runs << " runs)\n";
    };
    out << "catalogue: " << Stations << " stations, " << Countries << " countries, " << kib
        << " KiB\n";
    line("read", load);
    line("write anew (Jet writer)", build);
    line("swap in (write beside, sync, backup, rename)", swap);
    line("one change in process", total);
    line("sintonet-valdren-emisoras agregar, whole process", tool);
    out << "importar of a " << Stations << "-entry M3U into it, whole process: " << importMs
        << " ms (one run)\n";
    out << "goal: a full rewrite under 2000 ms: "
        << (LargeCatalogue::spread(tool).median < 2000 ? "met" : "NOT met") << '\n';
    return 0;
}
