// Draws the 52 built-in volume digit pictures into <folder>/<set>/<element>.gif.
//
//   drawdigits <folder> [--sheet <contact-sheet.png>]
//
// The pictures are committed under assets/digits; the build does not run this.

#include "diodedigits.h"
#include "gaugedigits.h"
#include "gifwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr int Elements = 13;
constexpr int SheetScale = 8;
constexpr int SheetGap = 4;

struct ColourSet {
    QString folder;
    QRgb lit;
    QRgb unlit;
};

const std::array<ColourSet, 3> DiodeSets = {{
    {u"red"_s, qRgb(255, 0, 0), qRgb(132, 0, 0)},
    {u"green"_s, qRgb(0, 255, 0), qRgb(0, 132, 0)},
    {u"blue"_s, qRgb(0, 255, 255), qRgb(0, 132, 132)},
}};

// The written file must read back as the very picture that was drawn.
bool writeChecked(const QImage &picture, const QString &path, QTextStream &err) {
    if (!GifWriter::write(picture, path)) {
        err << "cannot write " << path << Qt::endl;
        return false;
    }
    const QImage back(path);
    if (back.isNull() || back.convertToFormat(QImage::Format_RGB32) !=
                             picture.convertToFormat(QImage::Format_RGB32)) {
        err << "does not read back: " << path << Qt::endl;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || (args.size() != 1 && args.size() != 3) ||
        (args.size() == 3 && args.at(1) != u"--sheet"_s)) {
        err << "usage: drawdigits <folder> [--sheet <file.png>]" << Qt::endl;
        return 2;
    }

    QList<QList<QImage>> rows;
    for (const ColourSet &set : DiodeSets) {
        QList<QImage> row;
        for (int element = 0; element < Elements; ++element)
            row.append(DiodeDigits::draw(element, set.lit, set.unlit));
        rows.append(row);
    }
    QList<QImage> gauge;
    for (int element = 0; element < Elements; ++element)
        gauge.append(GaugeDigits::draw(element));
    rows.append(gauge);

    const QStringList folders = {DiodeSets[0].folder, DiodeSets[1].folder, DiodeSets[2].folder,
                                 u"custom"_s};
    const QDir root(args.at(0));
    for (int set = 0; set < rows.size(); ++set) {
        if (!root.mkpath(folders.at(set))) {
            err << "cannot create " << root.filePath(folders.at(set)) << Qt::endl;
            return 1;
        }
        for (int element = 0; element < Elements; ++element) {
            const QString path = root.filePath(u"%1/%2.gif"_s.arg(folders.at(set)).arg(element));
            if (!writeChecked(rows[set][element], path, err))
                return 1;
        }
    }

    if (args.size() == 3) {
        // Enlarged above, at their real size below, as they will be seen.
        const int cell = 27 * SheetScale + SheetGap;
        const int small = 27 + SheetGap;
        const int grid = int(rows.size()) * cell + SheetGap;
        QImage sheet(Elements * cell + SheetGap, grid + int(rows.size()) * small + SheetGap,
                     QImage::Format_RGB32);
        sheet.fill(qRgb(96, 96, 112));
        QPainter painter(&sheet);
        for (int set = 0; set < rows.size(); ++set) {
            for (int element = 0; element < Elements; ++element) {
                const QImage picture = rows[set][element].convertToFormat(QImage::Format_RGB32);
                painter.drawImage(SheetGap + element * cell, SheetGap + set * cell,
                                  picture.scaled(27 * SheetScale, 27 * SheetScale));
                painter.drawImage(SheetGap + element * small, grid + set * small, picture);
            }
        }
        painter.end();
        if (!sheet.save(args.at(2))) {
            err << "cannot write " << args.at(2) << Qt::endl;
            return 1;
        }
    }
    return 0;
}
