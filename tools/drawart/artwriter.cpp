#include "artwriter.h"

#include "backgroundpainter.h"
#include "digitpainter.h"
#include "iconpainter.h"
#include "palettereducer.h"
#include "pointerpainter.h"
#include "previewwindow.h"
#include "skincolor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The built-in digit sets come from the volume digits' own tool; shown when present.
void addBuiltInDigits(PreviewLook &look, const QString &assets) {
    const QString sets[] = {u"red"_s, u"green"_s, u"blue"_s};
    for (int i = 0; i < 3; ++i)
        look.builtInSelectors[i] = QImage(assets + u"/digits/"_s + sets[i] + u"/12.gif"_s);
}

QColor colour(const QString &rgb) {
    return SkinColor::parse(rgb).value_or(QColor());
}

// The pointers at four times their size on a checker, to judge them by eye.
QImage magnified(const QImage &image) {
    QImage board(image.width() * 4, image.height() * 4, QImage::Format_RGB32);
    QPainter p(&board);
    for (int y = 0; y < board.height(); y += 8) {
        for (int x = 0; x < board.width(); x += 8)
            p.fillRect(x, y, 8, 8,
                       ((x + y) / 8) % 2 ? QColor(200, 200, 200) : QColor(150, 150, 150));
    }
    p.drawImage(board.rect(), image.convertToFormat(QImage::Format_ARGB32));
    return board;
}

} // namespace

ArtWriter::ArtWriter(const QString &assetsFolder, const QString &previewFolder)
    : m_assets(assetsFolder)
    , m_preview(previewFolder) {}

bool ArtWriter::writeAll() {
    writeWindow();
    writeSkin({u"AzulNoche"_s, u"Azul Noche"_s, Themes::azulNoche(), DigitPainter::nightRing,
               u"58,96,170"_s, u"255,196,80"_s, u"190,215,255"_s});
    writeSkin({u"Nogal"_s, u"Radio de Nogal"_s, Themes::atardecer(), DigitPainter::walnutMeter,
               u"201,156,69"_s, u"128,36,16"_s, u"84,46,18"_s});
    writeSkin({u"AltoContraste"_s, u"Alto Contraste"_s, Themes::claro(), DigitPainter::contrastBar,
               u"255,212,0"_s, u"0,0,0"_s, u"0,0,0"_s});
    return m_ok;
}

void ArtWriter::writeWindow() {
    const QImage background = BackgroundPainter::paint(Themes::builtIn());
    save(background, u"window/background.jpg"_s, "JPEG", 92);

    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        save(IconPainter::paint(size), u"window/icons/icon-%1.png"_s.arg(size), "PNG");
    const QImage icon16Colours = PaletteReducer::reduce(IconPainter::paint(32), 16);
    save(icon16Colours, u"window/icon32.png"_s, "PNG");

    const QImage button = PaletteReducer::reduce(PointerPainter::button(), 256);
    save(button, u"window/pointer-button.png"_s, "PNG");
    save(PointerPainter::hand(), u"window/pointer-hand.png"_s, "PNG");

    if (!m_preview.isEmpty()) {
        PreviewLook look;
        look.background = background;
        look.display = QImage(m_assets + u"/digits/custom/7.gif"_s);
        look.customSelector = QImage(m_assets + u"/digits/custom/12.gif"_s);
        addBuiltInDigits(look, m_assets);
        preview(PreviewWindow::grab(look, false), u"window-closed.png"_s);
        preview(PreviewWindow::grab(look, true), u"window-open.png"_s);
        preview(magnified(icon16Colours), u"icon32-x4.png"_s);
        preview(magnified(button), u"pointer-button-x4.png"_s);
        preview(magnified(PointerPainter::hand()), u"pointer-hand-x4.png"_s);
        QImage icons(16 + 22 + 24 + 32 + 48 + 64 + 128 + 256 + 90, 256, QImage::Format_RGB32);
        icons.fill(QColor(0xe8, 0xe8, 0xe8));
        QPainter p(&icons);
        int x = 0;
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            p.drawImage(x, 256 - size, IconPainter::paint(size));
            x += size + 10;
        }
        p.end();
        preview(icons, u"icons.png"_s);
    }
}

void ArtWriter::writeSkin(const ShippedSkin &skin) {
    const QString folder = u"Skins/"_s + skin.folder + u'/';
    const QImage background = BackgroundPainter::paint(skin.theme);
    save(background, folder + u"fondo.jpg"_s, "JPEG", 92);

    QStringList digitKeys;
    for (int i = 0; i <= 10; ++i) {
        save(skin.digit(i), folder + u"digitos/%1.png"_s.arg(i), "PNG");
        digitKeys << u"%1=digitos/%1.png"_s.arg(i);
    }
    save(skin.digit(DigitPainter::Off), folder + u"digitos/apagado.png"_s, "PNG");
    save(skin.digit(DigitPainter::Selector), folder + u"digitos/muestra.png"_s, "PNG");

    const QString ini = u"[General]\n"
                        "SkinCaption=%1\n"
                        "Background=fondo.jpg\n"
                        "ControlBoxColor=%2\n"
                        "Digits=Custom\n"
                        "MainLabelColor=%3\n"
                        "OptionLabelColor=%4\n"
                        "\n"
                        "[CustomDigits]\n"
                        "OFF=digitos/apagado.png\n"
                        "%5\n"
                        "Selector=digitos/muestra.png\n"_s.arg(
                            skin.caption, skin.controlBoxColor, skin.mainLabelColor,
                            skin.optionLabelColor, digitKeys.join(u'\n'));
    const QString iniPath = m_assets + u'/' + folder + skin.folder + u".ini"_s;
    QSaveFile file(iniPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(ini.toUtf8()) < 0 || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(iniPath));
        m_ok = false;
    }

    if (!m_preview.isEmpty()) {
        PreviewLook look;
        look.background = background;
        look.controlBox = colour(skin.controlBoxColor);
        look.mainLabels = colour(skin.mainLabelColor);
        look.optionLabels = colour(skin.optionLabelColor);
        look.display = skin.digit(7);
        look.customSelector = skin.digit(DigitPainter::Selector);
        addBuiltInDigits(look, m_assets);
        preview(PreviewWindow::grab(look, false), skin.folder + u"-closed.png"_s);
        preview(PreviewWindow::grab(look, true), skin.folder + u"-open.png"_s);
        QImage strip(13 * 31, 31, QImage::Format_RGB32);
        strip.fill(skin.theme.bodyBottom);
        QPainter p(&strip);
        const int order[] = {11, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12};
        for (int k = 0; k < 13; ++k)
            p.drawImage(2 + k * 31, 2, skin.digit(order[k]));
        p.end();
        preview(strip.scaled(strip.size() * 3), skin.folder + u"-digits-x3.png"_s);
    }
}

void ArtWriter::save(const QImage &image, const QString &relative, const char *format,
                     int quality) {
    const QString path = m_assets + u'/' + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImageWriter writer(path, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        m_ok = false;
    }
}

void ArtWriter::preview(const QImage &image, const QString &name) {
    QDir().mkpath(m_preview);
    // Twice the size, pixel for pixel, to see the details.
    image.scaled(image.size() * 2).save(m_preview + u'/' + name, "PNG");
}
