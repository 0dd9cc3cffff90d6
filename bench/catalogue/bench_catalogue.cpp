#include "catalogueerror.h"
#include "catalogueschema.h"
#include "jetcatalogue.h"
#include "largecatalogue.h"
#include "session.h"
#include "stationlists.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int Stations = 50000;
constexpr int Countries = 200;
constexpr int Runs = 15;

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);

    // One country far larger than the rest, as public directories have.
    QTemporaryDir dir;
    const QString file = dir.filePath(u"RadioStore.mdb"_s);
    const QString largest = LargeCatalogue::countryName(7);
    const QString lastOfLargest = LargeCatalogue::write(file, Stations, Countries, largest);
    out << "catalogue: " << Stations << " stations, " << Countries << " countries, "
        << QFileInfo(file).size() / 1024 << " KiB\n";

    QList<double> ours;
    QList<double> export_;
    // Where our time goes: open, list the countries, fill the largest, look up.
    QList<double> steps[4];
    int largestCount = 0;
    for (int run = 0; run < Runs; ++run) {
        Session session;
        QComboBox cboPaises;
        QComboBox cboRadios;
        StationLists lists(session, &cboPaises, &cboRadios);
        QElapsedTimer timer;
        timer.start();
        qint64 last = 0;
        const auto step = [&](int n) {
            const qint64 now = timer.nsecsElapsed();
            steps[n].append(double(now - last) / 1e6);
            last = now;
        };
        try {
            lists.setBaseDatos(JetCatalogue::open(file));
            step(0);
            lists.fillCountries();
            step(1);
            lists.selectCountry(cboPaises.findText(largest));
            step(2);
            lists.LeeDatos(lastOfLargest);
            step(3);
        } catch (const CatalogueError &e) {
            out << e.message() << '\n';
            return 1;
        }
        ours.append(double(timer.nsecsElapsed()) / 1e6);
        largestCount = cboRadios.count();
        if (session.resolved().address.isEmpty())
            return 1;

        timer.restart();
        for (const QString &table : {u"Paises"_s, u"Radios"_s}) {
            QProcess p;
            p.start(u"mdb-export"_s, {file, table});
            p.waitForFinished(-1);
            p.readAllStandardOutput();
        }
        export_.append(double(timer.nsecsElapsed()) / 1e6);
    }

    const LargeCatalogue::Spread a = LargeCatalogue::spread(ours);
    const LargeCatalogue::Spread b = LargeCatalogue::spread(export_);
    out << "largest country: " << largestCount << " stations\n";
    out << Qt::fixed;
    out.setRealNumberPrecision(1);
    out << "ours (open, list countries, fill largest, look up its last station): median "
        << a.median << " ms, min " << a.min << ", max " << a.max << " (" << Runs << " runs)\n";
    out << "mdb-export of Paises and Radios:                                       median "
        << b.median << " ms, min " << b.min << ", max " << b.max << " (" << Runs << " runs)\n";
    out << "  of which open " << LargeCatalogue::spread(steps[0]).median << " ms, list countries "
        << LargeCatalogue::spread(steps[1]).median << ", fill the largest "
        << LargeCatalogue::spread(steps[2]).median << ", look up "
        << LargeCatalogue::spread(steps[3]).median << " (medians)\n";
    out.setRealNumberPrecision(2);
    out << "ratio mdb-export / ours: " << b.median / a.median << "\n";
    // Every run, for bench_program's table: ours, then mdb-export, in milliseconds.
    const auto joined = [](const QList<double> &ms) {
        QStringList text;
        for (double v : ms)
            text << QString::number(v, 'f', 2);
        return text.join(u',');
    };
    out << "BENCH\tcatalogue\t" << joined(ours) << '\t' << joined(export_) << '\n';
    return 0;
}
