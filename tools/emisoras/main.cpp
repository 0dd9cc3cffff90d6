#include "emisorastool.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString catalogue =
        QDir(QCoreApplication::applicationDirPath()).filePath(u"RadioStore.mdb"_s);
    const QString userAgent =
        u"SintonetValdren/%1 sintonet-valdren-emisoras/%1"_s.arg(QStringLiteral(SV_VERSION));
    return EmisorasTool::run(app.arguments().mid(1), catalogue, userAgent, out, err);
}
