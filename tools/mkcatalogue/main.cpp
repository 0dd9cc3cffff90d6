#include "cataloguecsv.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <stdexcept>

using namespace Qt::StringLiterals;

// sv-mkcatalogue <input.csv> <output.mdb>: writes the station catalogue, a Jet 3 file with
// the tables Paises and Radios and the catalogue's database password.
int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "Uso: sv-mkcatalogue <entrada.csv> <salida.mdb>\n"
               "La entrada es CSV (RFC 4180, UTF-8) con la cabecera "
               "Pais,NombreRadio,URLRadio,Medio.\n";
        return 2;
    }
    QFile input(args[1]);
    if (!input.open(QIODevice::ReadOnly)) {
        err << u"No se puede leer «%1»: %2\n"_s.arg(args[1], input.errorString());
        return 1;
    }
    try {
        CatalogueCsv::toWriter(input.readAll()).writeFile(args[2]);
    } catch (const std::runtime_error &e) {
        err << args[1] << ": " << QString::fromUtf8(e.what()) << '\n';
        return 1;
    }
    return 0;
}
