// Draws the window's designed pictures and the shipped skins into the assets folder:
//   drawart <assets folder>
// The output is the same at every run, so the committed files only change with the design.
#include "artwriter.h"

#include <QApplication>
#include <QCommandLineParser>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Draws the window pictures and the shipped skins."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"assets"_s, u"The assets folder of the source tree."_s);
    QCommandLineOption preview(
        u"preview"_s, u"Also write PNG copies for looking at into <folder>."_s, u"folder"_s);
    parser.addOption(preview);
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(1);

    ArtWriter writer(parser.positionalArguments().constFirst(), parser.value(preview));
    return writer.writeAll() ? 0 : 1;
}
