#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// The command line of sintonet-valdren-emisoras: reads the arguments (without the program's
// name), runs one subcommand on the catalogue and says what it did. The exit code: 0 done,
// 1 failed, 2 the command line is wrong.
namespace EmisorasTool {

// `defaultCatalogue` is RadioStore.mdb beside the tool, `userAgent` what the directory is told.
int run(const QStringList &arguments, const QString &defaultCatalogue, const QString &userAgent,
        QTextStream &out, QTextStream &err);

QString usage();

} // namespace EmisorasTool
