#pragma once

#include "cataloguepassword.h"
#include "catalogueschema.h"
#include "jetwriter.h"
#include "testfiles.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <exception>
#include <functional>
#include <optional>

// Catalogues for the tests, written by our own Jet 3 writer.
namespace CatalogueFixture {

using Value = JetWriter::Value;

struct Station {
    Value country;
    Value name;
    Value url;
    Value kind;
};

inline QByteArray catalogueBytes(const QList<Value> &countries, const QList<Station> &stations,
                                 const QString &password = QString::fromUtf16(CataloguePassword)) {
    JetWriter writer(password);
    writer.addTable(CatalogueSchema::Paises, {CatalogueSchema::Paises});
    writer.addTable(CatalogueSchema::Radios, CatalogueSchema::RadiosColumns());
    for (const Value &c : countries)
        writer.addRow(CatalogueSchema::Paises, {c});
    for (const Station &s : stations)
        writer.addRow(CatalogueSchema::Radios, {s.country, s.name, s.url, s.kind});
    return writer.toBytes();
}

inline bool writeFile(const QString &path, const QByteArray &bytes) {
    return TestFiles::write(path, bytes);
}

// mdb-export prints an empty text as it prints Null: as nothing.
inline QList<QList<Value>> asMdbExportPrints(QList<QList<Value>> rows) {
    for (QList<Value> &row : rows) {
        for (Value &v : row) {
            if (v && v->isEmpty())
                v.reset();
        }
    }
    return rows;
}

// The message of what the call throws; empty when it throws nothing.
inline QString errorOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

// Runs one of mdbtools' commands and returns what it prints; fails the test on an error.
inline QByteArray mdbTool(const QString &tool, const QStringList &arguments) {
    QProcess p;
    p.start(tool, arguments);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(tool), p.readAllStandardError().constData());
        return QByteArray("<failed>");
    }
    return p.readAllStandardOutput();
}

} // namespace CatalogueFixture
