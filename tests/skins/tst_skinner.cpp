#include "mainstate.h"
#include "programfolder.h"
#include "skinner.h"
#include "skintarget.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Each call as a line of text; a picture is told by its size, which survives JPEG.
class RecordingTarget : public SkinTarget {
public:
    QStringList calls;

    void setSkinBackground(const QImage &picture) override {
        calls << u"background "_s + size(picture);
    }
    void setControlBoxColor(const QColor &color) override { calls << u"box "_s + rgb(color); }
    void setCustomDigitPicture(int index, const QImage &picture) override {
        calls << u"digit %1 %2"_s.arg(index).arg(size(picture));
    }
    void setMainLabelColor(const QColor &color) override { calls << u"main "_s + rgb(color); }
    void setOptionLabelColor(const QColor &color) override { calls << u"option "_s + rgb(color); }
    void selectDigitOption(int index) override { calls << u"select %1"_s.arg(index); }

private:
    static QString size(const QImage &p) { return u"%1x%2"_s.arg(p.width()).arg(p.height()); }
    static QString rgb(const QColor &c) {
        return u"%1,%2,%3"_s.arg(c.red()).arg(c.green()).arg(c.blue());
    }
};

// The window's part in skins, as the main window wires it.
struct Window {
    explicit Window(const QString &programDir)
        : skinner(state, ProgramFolder(programDir, u"sintonet-valdren"_s), &cboSkins, &List1,
                  target) {}

    void start(const QString &savedCaption) {
        state.SkinGuardado = savedCaption;
        state.Cargando = true;
        skinner.listSkins();
        skinner.restoreSavedSkin();
        state.Cargando = false;
    }

    void pick(int index) {
        cboSkins.setCurrentIndex(index);
        Q_EMIT cboSkins.activated(index);
    }
    void pick(const QString &caption) { pick(cboSkins.findText(caption)); }

    QString folderAt(int row) const {
        return List1.item(row)->data(Skinner::FolderRole).toString();
    }

    MainState state;
    QComboBox cboSkins;
    QListWidget List1;
    RecordingTarget target;
    Skinner skinner;
};

// A 1 x 1 GIF with a two-colour table, red first: Qt reads GIF but cannot write it.
QByteArray tinyGif() {
    return QByteArray::fromHex("47494638396101000100800000" // header, 1 x 1, table of 2
                               "ff0000000000"               // red, black
                               "2c000000000100010000"       // image descriptor
                               "0202440100"                 // LZW data: index 0
                               "3b");
}

QByteArray encoded(const QImage &image, const char *format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A small JPEG whose header claims 4097 x 4097 pixels: decoding it would allocate
// and fill a picture of that size from a few hundred bytes.
QByteArray jpegBomb() {
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::green);
    QByteArray bytes = encoded(small, "JPEG");
    const qsizetype sof = bytes.indexOf(QByteArray::fromHex("ffc0"));
    Q_ASSERT(sof >= 0);
    bytes[sof + 5] = 0x10; // height 0x1001
    bytes[sof + 6] = 0x01;
    bytes[sof + 7] = 0x10; // width 0x1001
    bytes[sof + 8] = 0x01;
    return bytes;
}

} // namespace

class TestSkinner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listsFoldersWithCaptions();
    void missingSkinsFolderListsNothing();
    void restoresSavedCaptionOnly();
    void sameCaptionTwice();
    void folderWithSpace();
    void skinsAddUp();
    void digitsChosenByUserButNotAtStart();
    void badPicturesLeaveTheirElement();
    void shippedSkinsApplyWhole();

private:
    void write(const QString &relative, const QByteArray &bytes);
    void picture(const QString &relative, int width, int height, const char *format);
    void skin(const QString &folder, const QByteArray &ini);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSkinner::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSkinner::cleanup() {
    m_dir.reset();
}

void TestSkinner::write(const QString &relative, const QByteArray &bytes) {
    const QString path = m_dir->filePath(u"Skins/"_s + relative);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestSkinner::picture(const QString &relative, int width, int height, const char *format) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 200));
    write(relative, encoded(image, format));
}

void TestSkinner::skin(const QString &folder, const QByteArray &ini) {
    write(folder + u'/' + folder + u".ini"_s, ini);
}

void TestSkinner::listsFoldersWithCaptions() {
    skin(u"Noche"_s, "[General]\r\nSkinCaption=Azul Noche\r\n");
    skin(u"Mi Skin"_s, "[General]\nSkinCaption=Con  Espacio\n");
    skin(u"Uno"_s, "[General]\nSkinCaption=Igual\n");
    skin(u"Dos"_s, "[General]\nSkinCaption=Igual\n");
    skin(u"Vacio"_s, "[General]\nSkinCaption=\nBackground=fondo.png\n");
    skin(u".oculto"_s, "[General]\nSkinCaption=Oculto\n");
    write(u"Otro/skin.ini"_s, "[General]\nSkinCaption=Otro\n");
    write(u"SinNada/fondo.png"_s, "x");
    write(u"suelto"_s, "[General]\nSkinCaption=Suelto\n");

    Window w(m_dir->path());
    w.start(QString());

    QCOMPARE(w.cboSkins.count(), 4);
    QCOMPARE(w.List1.count(), 4);
    QStringList captions;
    for (int k = 0; k < 4; ++k) {
        captions << w.cboSkins.itemText(k);
        QCOMPARE(w.List1.item(k)->text(), w.folderAt(k) + u' ' + w.cboSkins.itemText(k));
    }
    captions.sort();
    QCOMPARE(captions, (QStringList{u"Azul Noche"_s, u"Con  Espacio"_s, u"Igual"_s, u"Igual"_s}));

    // Nothing saved: nothing selected, so an empty caption is saved at close.
    QCOMPARE(w.cboSkins.currentIndex(), -1);
    QCOMPARE(w.cboSkins.currentText(), QString());
    QCOMPARE(w.List1.currentRow(), -1);
    QVERIFY(w.target.calls.isEmpty());
}

void TestSkinner::missingSkinsFolderListsNothing() {
    Window w(m_dir->path());
    w.start(u"Azul Noche"_s);
    QCOMPARE(w.cboSkins.count(), 0);
    QCOMPARE(w.List1.count(), 0);
    QVERIFY(w.target.calls.isEmpty());
}

void TestSkinner::restoresSavedCaptionOnly() {
    skin(u"Noche"_s, "[General]\nSkinCaption=Azul Noche\nBackground=fondo.jpg\nDigits=Green\n");
    picture(u"Noche/fondo.jpg"_s, 679, 202, "JPEG");
    skin(u"Otra"_s, "[General]\nSkinCaption=Otra\nBackground=fondo.png\n");
    picture(u"Otra/fondo.png"_s, 700, 202, "PNG");

    {
        Window w(m_dir->path());
        w.start(u"Azul Noche"_s);
        QCOMPARE(w.cboSkins.currentText(), u"Azul Noche"_s);
        QCOMPARE(w.List1.currentRow(), w.cboSkins.currentIndex());
        QCOMPARE(w.folderAt(w.List1.currentRow()), u"Noche"_s);
        // At start-up the digit set is left to the saved NumberType, read afterwards.
        QCOMPARE(w.target.calls, QStringList{u"background 679x202"_s});
        QCOMPARE(w.state.VolCol, u"Green"_s);
    }
    for (const QString &saved : {u"azul noche"_s, u"Borrada"_s, u"Azul"_s}) {
        Window w(m_dir->path());
        w.start(saved);
        QCOMPARE(w.cboSkins.currentIndex(), -1);
        QCOMPARE(w.cboSkins.currentText(), QString());
        QCOMPARE(w.List1.currentRow(), -1);
        QVERIFY(w.target.calls.isEmpty());
    }
}

void TestSkinner::sameCaptionTwice() {
    skin(u"Uno"_s, "[General]\nSkinCaption=Igual\nBackground=f.png\n");
    picture(u"Uno/f.png"_s, 11, 11, "PNG");
    skin(u"Dos"_s, "[General]\nSkinCaption=Igual\nBackground=f.png\n");
    picture(u"Dos/f.png"_s, 22, 22, "PNG");

    Window w(m_dir->path());
    w.start(u"Igual"_s);
    QCOMPARE(w.cboSkins.count(), 2);
    // The first one listed is restored.
    QCOMPARE(w.cboSkins.currentIndex(), 0);
    QCOMPARE(w.List1.currentRow(), 0);
    const bool unoFirst = w.folderAt(0) == u"Uno"_s;
    QCOMPARE(w.target.calls.value(0), unoFirst ? u"background 11x11"_s : u"background 22x22"_s);

    // The second is applied when picked, and both lists stay on it.
    w.pick(1);
    QCOMPARE(w.target.calls.value(1), unoFirst ? u"background 22x22"_s : u"background 11x11"_s);
    QCOMPARE(w.cboSkins.currentIndex(), 1);
    QCOMPARE(w.List1.currentRow(), 1);
}

void TestSkinner::folderWithSpace() {
    skin(u"Mi  Skin"_s, "[General]\nSkinCaption=Tarde de Verano\nBackground=f o.png\n");
    picture(u"Mi  Skin/f o.png"_s, 30, 20, "PNG");
    skin(u"Mi"_s, "[General]\nSkinCaption=Mi\nBackground=f.png\n");
    picture(u"Mi/f.png"_s, 5, 5, "PNG");

    Window w(m_dir->path());
    w.start(QString());
    w.pick(u"Tarde de Verano"_s);
    QCOMPARE(w.target.calls, (QStringList{u"background 30x20"_s, u"select 0"_s}));
    QCOMPARE(w.cboSkins.currentText(), u"Tarde de Verano"_s);

    Window next(m_dir->path());
    next.start(u"Tarde de Verano"_s);
    QCOMPARE(next.target.calls, QStringList{u"background 30x20"_s});
}

void TestSkinner::skinsAddUp() {
    skin(u"Completa"_s, "[General]\n"
                        "SkinCaption=Completa\n"
                        "Background=fondo.jpg\n"
                        "ControlBoxColor=10,20,30\n"
                        "Digits=custom\n"
                        "MainLabelColor=255,200,0\n"
                        "OptionLabelColor=0,0,0,99\n"
                        "[CustomDigits]\n"
                        "OFF=off.png\nSelector=sel.png\n"
                        "0=d0.png\n1=d1.png\n2=d2.png\n3=d3.png\n4=d4.png\n5=d5.png\n"
                        "6=d6.png\n7=d7.png\n8=d8.png\n9=d9.png\n10=d10.png\n");
    picture(u"Completa/fondo.jpg"_s, 679, 202, "JPEG");
    picture(u"Completa/off.png"_s, 27, 26, "PNG");
    picture(u"Completa/sel.png"_s, 27, 28, "PNG");
    for (int i = 0; i <= 10; ++i)
        picture(u"Completa/d%1.png"_s.arg(i), 27, i + 1, "PNG");
    // Names only key 5 of the digits, and none of the rest.
    skin(u"Cinco"_s, "[General]\nSkinCaption=Cinco\nDigits=BLUE\n"
                     "[CustomDigits]\n5=cinco.gif\n05=no.png\n 6 =\n");
    write(u"Cinco/cinco.gif"_s, tinyGif());
    picture(u"Cinco/no.png"_s, 9, 9, "PNG");

    Window w(m_dir->path());
    w.start(QString());
    w.pick(u"Completa"_s);
    QStringList full{u"background 679x202"_s, u"box 10,20,30"_s, u"digit 11 27x26"_s};
    for (int i = 0; i <= 10; ++i)
        full << u"digit %1 27x%2"_s.arg(i).arg(i + 1);
    full << u"digit 12 27x28"_s << u"main 255,200,0"_s << u"option 0,0,0"_s << u"select 3"_s;
    QCOMPARE(w.target.calls, full);

    w.target.calls.clear();
    w.pick(u"Cinco"_s);
    QCOMPARE(w.target.calls, (QStringList{u"digit 5 1x1"_s, u"select 2"_s}));
    QCOMPARE(w.state.VolCol, u"BLUE"_s);
}

void TestSkinner::digitsChosenByUserButNotAtStart() {
    skin(u"Azul"_s, "[General]\nSkinCaption=Azul\nDigits=BLUE\n");
    skin(u"Verde"_s, "[General]\nSkinCaption=Verde\nDigits=verde\n");
    skin(u"Nada"_s, "[General]\nSkinCaption=Nada\nDigits=\n");

    Window w(m_dir->path());
    w.start(QString());
    w.pick(u"Azul"_s);
    QCOMPARE(w.target.calls, QStringList{u"select 2"_s});
    w.pick(u"Verde"_s);
    QCOMPARE(w.state.VolCol, u"verde"_s);
    QCOMPARE(w.target.calls.last(), u"select 0"_s);
    // No Digits key: the digit type in use stays and is selected again.
    w.state.VolCol = u"Green"_s;
    w.pick(u"Nada"_s);
    QCOMPARE(w.state.VolCol, u"Green"_s);
    QCOMPARE(w.target.calls.last(), u"select 1"_s);

    // Restoring "Azul" at the next start selects no digit option: the saved NumberType,
    // read after the skin, decides.
    Window next(m_dir->path());
    next.start(u"Azul"_s);
    QCOMPARE(next.state.VolCol, u"BLUE"_s);
    QVERIFY(next.target.calls.isEmpty());
}

void TestSkinner::badPicturesLeaveTheirElement() {
    skin(u"Rota"_s, "[General]\n"
                    "SkinCaption=Rota\n"
                    "Background=roto.jpg\n"
                    "ControlBoxColor=0,300,0\n"
                    "MainLabelColor=1,2,3\n"
                    "OptionLabelColor=4,5\n"
                    "[CustomDigits]\n"
                    "OFF=off.png\n"
                    "0=falta.png\n"
                    "1=basura.png\n"
                    "2=bomba.jpg\n"
                    "3=rojo.gif\n"
                    "4=carpeta.png\n"
                    "5=sub\\cinco.bmp\n"
                    "6=sub/seis.png\n"
                    "7=tubo.png\n"
                    "8=/etc/passwd\n"
                    "9=vacio.png\n"
                    "10=diez.bmp\n"
                    "Selector=sel.jpg\n");
    write(u"Rota/roto.jpg"_s, QByteArray("\xff\xd8\xff\xe0 truncated", 15));
    picture(u"Rota/off.png"_s, 27, 27, "PNG");
    write(u"Rota/basura.png"_s, "this is no picture at all");
    write(u"Rota/bomba.jpg"_s, jpegBomb());
    write(u"Rota/rojo.gif"_s, tinyGif());
    QVERIFY(QDir().mkpath(m_dir->filePath(u"Skins/Rota/carpeta.png"_s)));
    picture(u"Rota/sub/cinco.bmp"_s, 5, 27, "BMP");
    picture(u"Rota/sub/seis.png"_s, 6, 27, "PNG");
    // A pipe that nobody writes to: opening it for reading would wait for ever.
    QCOMPARE(
        ::mkfifo(QFile::encodeName(m_dir->filePath(u"Skins/Rota/tubo.png"_s)).constData(), 0600),
        0);
    write(u"Rota/vacio.png"_s, QByteArray());
    picture(u"Rota/diez.bmp"_s, 10, 27, "BMP");
    picture(u"Rota/sel.jpg"_s, 12, 27, "JPEG");

    Window w(m_dir->path());
    w.start(QString());
    w.pick(u"Rota"_s);
    QCOMPARE(w.target.calls, (QStringList{u"digit 11 27x27"_s, u"digit 3 1x1"_s, u"digit 5 5x27"_s,
                                          u"digit 6 6x27"_s, u"digit 10 10x27"_s,
                                          u"digit 12 12x27"_s, u"main 1,2,3"_s, u"select 0"_s}));
}

void TestSkinner::shippedSkinsApplyWhole() {
    Window w(QStringLiteral(SV_SOURCE_DIR "/assets"));
    w.start(QString());
    QCOMPARE(w.cboSkins.count(), 3);
    for (int k = 0; k < 3; ++k) {
        w.target.calls.clear();
        w.pick(k);
        const QStringList &calls = w.target.calls;
        QCOMPARE(calls.size(), 1 + 1 + 13 + 2 + 1);
        QCOMPARE(calls.first(), u"background 679x202"_s);
        QVERIFY(calls.at(1).startsWith(u"box "_s));
        for (int i = 2; i < 15; ++i)
            QVERIFY2(calls.at(i).endsWith(u" 27x27"_s), qPrintable(calls.at(i)));
        QCOMPARE(calls.last(), u"select 3"_s);
    }
}

QTEST_MAIN(TestSkinner)
#include "tst_skinner.moc"
