#include "programfolder.h"
#include "session.h"
#include "skinner.h"
#include "skintarget.h"
#include "testfiles.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

    void setSkinBackground(const QImage &p) override { calls << u"background "_s + size(p); }
    void setControlBoxColor(const QColor &c) override { calls << u"box "_s + rgb(c); }
    void setCustomDigitPicture(int index, const QImage &p) override {
        calls << u"digit %1 %2"_s.arg(index).arg(size(p));
    }
    void setMainLabelColor(const QColor &c) override { calls << u"main "_s + rgb(c); }
    void setOptionLabelColor(const QColor &c) override { calls << u"option "_s + rgb(c); }
    void selectDigitOption(int index) override { calls << u"select %1"_s.arg(index); }
    static QString size(const QImage &p) { return u"%1x%2"_s.arg(p.width()).arg(p.height()); }
    static QString rgb(QColor c) { return u"%1,%2,%3"_s.arg(c.red()).arg(c.green()).arg(c.blue()); }
};

// The window's part in skins, as the main window wires it, started with this skin saved.
struct Window {
    Window(const QString &programDir, const QString &savedCaption)
        : skinner(session, ProgramFolder(programDir, u"sintonet-valdren"_s), &cboSkins, &List1,
                  target) {
        Settings saved;
        saved.skin = savedCaption;
        session.setSaved(saved);
        session.setLoading(true);
        skinner.listSkins();
        skinner.restoreSavedSkin();
        session.setLoading(false);
    }

    // What the pick alone calls.
    void pick(int index) {
        target.calls.clear();
        cboSkins.setCurrentIndex(index);
        Q_EMIT cboSkins.activated(index);
    }
    void pick(const QString &caption) { pick(cboSkins.findText(caption)); }

    Session session;
    QComboBox cboSkins;
    QListWidget List1;
    RecordingTarget target;
    Skinner skinner;
};

// A 1 x 1 GIF with a two-colour table, red first: Qt reads GIF but cannot write it.
const QByteArray TinyGif =
    QByteArray::fromHex("47494638396101000100800000ff0000000000" // header, 1 x 1, red and black
                        "2c0000000001000100000202440100" // image descriptor, LZW data: index 0
                        "3b");

} // namespace

class TestSkinner : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString at(const QString &relative) {
        const QString path = m_dir.filePath(u"Skins/"_s + relative);
        QDir().mkpath(QFileInfo(path).path());
        return path;
    }
    void write(const QString &relative, const QByteArray &bytes) {
        QVERIFY(TestFiles::write(at(relative), bytes));
    }
    // In the format its name ends in.
    void picture(const QString &relative, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(40, 90, 200));
        QVERIFY(image.save(at(relative)));
    }
    void skin(const QString &folder, const QByteArray &ini) {
        write(folder + u'/' + folder + u".ini"_s, "[General]\n" + ini);
    }

private Q_SLOTS:
    void listsRestoresAndApplies() {
        Window none(m_dir.path(), u"Azul Noche"_s); // no Skins folder at all
        QCOMPARE(none.cboSkins.count() + none.target.calls.size(), 0);
        skin(u"Noche"_s, "SkinCaption=Azul Noche\r\nBackground=fondo.jpg\r\nDigits=Green\r\n");
        picture(u"Noche/fondo.jpg"_s, 679, 202);
        skin(u"Mi  Skin"_s, "SkinCaption=Tarde de Verano\nBackground=f o.png\n");
        picture(u"Mi  Skin/f o.png"_s, 30, 20);
        skin(u"Uno"_s, "SkinCaption=Igual\nBackground=f.png\n");
        picture(u"Uno/f.png"_s, 11, 11);
        skin(u"Dos"_s, "SkinCaption=Igual\nBackground=f.png\n");
        picture(u"Dos/f.png"_s, 22, 22);
        skin(u"Vacio"_s, "SkinCaption=\nBackground=f.png\n");
        skin(u".oculto"_s, "SkinCaption=Oculto\n");
        write(u"Otro/skin.ini"_s, "[General]\nSkinCaption=Otro\n");
        write(u"suelto"_s, "[General]\nSkinCaption=Suelto\n");
        // A pipe nobody writes to would stop the start-up; /dev/zero would fill the memory.
        QCOMPARE(::mkfifo(QFile::encodeName(at(u"Tubo/Tubo.ini"_s)), 0600), 0);
        QVERIFY(QFile::link(u"/dev/zero"_s, at(u"Cero/Cero.ini"_s)));
        // A link to a skin file is listed as the file itself.
        skin(u"Real"_s, "SkinCaption=Real\nControlBoxColor=001,010,003\n");
        QVERIFY(QFile::link(at(u"Real/Real.ini"_s), at(u"Enlace/Enlace.ini"_s)));

        QByteArray full =
            "SkinCaption=Completa\nBackground=fondo.jpg\nControlBoxColor=10 , 20 ,30\n"
            "Digits=custom\nMainLabelColor=255,200,0\nOptionLabelColor=0,0,0,99\n"
            "[CustomDigits]\nOFF=off.png\nSelector=sel.png\n";
        picture(u"Completa/fondo.jpg"_s, 679, 202);
        picture(u"Completa/off.png"_s, 27, 26);
        picture(u"Completa/sel.png"_s, 27, 28);
        QStringList completa{u"background 679x202"_s, u"box 10,20,30"_s, u"digit 11 27x26"_s};
        for (int i = 0; i <= 10; ++i) {
            full += QByteArray::number(i) + "=d" + QByteArray::number(i) + ".png\n";
            picture(u"Completa/d%1.png"_s.arg(i), 27, i + 1);
            completa << u"digit %1 27x%2"_s.arg(i).arg(i + 1);
        }
        completa << u"digit 12 27x28"_s << u"main 255,200,0"_s << u"option 0,0,0"_s
                 << u"select 3"_s;
        skin(u"Completa"_s, full);
        // Names only key 5 of the digits, and none of the rest. A colour is plain decimal
        // numbers, leading zeros and blanks around them allowed: no letters, signs or fractions.
        skin(u"Cinco"_s, "SkinCaption=Cinco\nDigits=BLUE\nControlBoxColor=0,x,0\n"
                         "[CustomDigits]\n5=cinco.gif\n05=no.png\n");
        write(u"Cinco/cinco.gif"_s, TinyGif);
        picture(u"Cinco/no.png"_s, 9, 9);
        skin(u"Nada"_s, "SkinCaption=Nada\nDigits=\nControlBoxColor=+1,0,0\n"
                        "MainLabelColor=1.5,0,0\nOptionLabelColor=1, ,3\n");
        // Whatever cannot be read, or may not be, leaves its element as it was.
        skin(u"Rota"_s, "SkinCaption=Rota\nBackground=roto.jpg\nControlBoxColor=0,300,0\n"
                        "MainLabelColor=1,2,3\nOptionLabelColor=4,5\n"
                        "[CustomDigits]\nOFF=off.png\n0=falta.png\n1=basura.png\n2=bomba.jpg\n"
                        "3=rojo.gif\n4=carpeta.png\n5=sub\\cinco.bmp\n6=sub/seis.png\n7=tubo.png\n"
                        "8=/etc/passwd\n9=vacio.png\n10=diez.bmp\nSelector=sel.jpg\n");
        write(u"Rota/roto.jpg"_s, QByteArray("\xff\xd8\xff\xe0 truncated", 15));
        picture(u"Rota/off.png"_s, 27, 27);
        write(u"Rota/basura.png"_s, "this is no picture at all");
        // A small JPEG whose header claims 4097 x 4097 pixels: decoding it would allocate and fill
        // a picture of that size from a few hundred bytes.
        picture(u"Rota/bomba.jpg"_s, 8, 8);
        QByteArray bomb = TestFiles::read(at(u"Rota/bomba.jpg"_s));
        const qsizetype sof = bomb.indexOf(QByteArray::fromHex("ffc0"));
        QVERIFY(sof > 0);
        write(u"Rota/bomba.jpg"_s, bomb.replace(sof + 5, 4, QByteArray::fromHex("10011001")));
        write(u"Rota/rojo.gif"_s, TinyGif);
        QVERIFY(QDir().mkpath(at(u"Rota/carpeta.png"_s)));
        picture(u"Rota/sub/cinco.bmp"_s, 5, 27);
        picture(u"Rota/sub/seis.png"_s, 6, 27);
        // A pipe that nobody writes to: opening it for reading would wait for ever.
        QCOMPARE(::mkfifo(QFile::encodeName(at(u"Rota/tubo.png"_s)), 0600), 0);
        write(u"Rota/vacio.png"_s, QByteArray());
        picture(u"Rota/diez.bmp"_s, 10, 27);
        picture(u"Rota/sel.jpg"_s, 12, 27);

        Window w(m_dir.path(), QString());
        QStringList captions;
        for (int k = 0; k < w.cboSkins.count(); ++k)
            captions << w.cboSkins.itemText(k);
        captions.sort();
        QCOMPARE(captions,
                 (QStringList{u"Azul Noche"_s, u"Cinco"_s, u"Completa"_s, u"Igual"_s, u"Igual"_s,
                              u"Nada"_s, u"Real"_s, u"Real"_s, u"Rota"_s, u"Tarde de Verano"_s}));

        // At start-up the digit set is left to the saved NumberType, read afterwards. Nothing
        // saved: nothing selected, so an empty caption is saved at close.
        for (const auto &[saved, call] : {std::pair{QString(), QString()},
                                          {u"Azul Noche"_s, u"background 679x202"_s},
                                          {u"Tarde de Verano"_s, u"background 30x20"_s},
                                          {u"Real"_s, u"box 1,10,3"_s},
                                          {u"Azul"_s, QString()}}) {
            Window next(m_dir.path(), saved);
            QCOMPARE(next.target.calls, call.isEmpty() ? QStringList() : QStringList{call});
            QCOMPARE(next.cboSkins.currentText(), call.isEmpty() ? QString() : saved);
        }

        // Two skins of one caption: the first listed is restored, the other applies when picked.
        Window same(m_dir.path(), u"Igual"_s);
        const QList<QListWidgetItem *> igual = same.List1.findItems(u"Igual"_s, Qt::MatchEndsWith);
        const auto background = [](const QListWidgetItem *item) {
            return item->text().startsWith(u"Uno"_s) ? u"background 11x11"_s
                                                     : u"background 22x22"_s;
        };
        QCOMPARE(same.cboSkins.currentIndex(), same.List1.row(igual[0]));
        QCOMPARE(same.target.calls, QStringList{background(igual[0])});
        same.pick(same.List1.row(igual[1]));
        QCOMPARE(same.target.calls, (QStringList{background(igual[1]), u"select 0"_s}));

        // Picked, a skin applies all it names; its bad parts leave their element as it was.
        w.pick(u"Completa"_s);
        QCOMPARE(w.target.calls, completa);

        w.pick(u"Cinco"_s);
        QCOMPARE(w.target.calls, (QStringList{u"digit 5 1x1"_s, u"select 2"_s}));
        QCOMPARE(w.session.digitColour(), DigitColour::Blue);
        // No Digits key: the digit set in use stays and is selected again.
        w.session.setDigitColour(DigitColour::Green);
        w.pick(u"Nada"_s);
        QCOMPARE(w.target.calls, QStringList{u"select 1"_s});
        QCOMPARE(w.session.digitColour(), DigitColour::Green);

        w.pick(u"Rota"_s);
        QCOMPARE(w.target.calls,
                 (QStringList{u"digit 11 27x27"_s, u"digit 3 1x1"_s, u"digit 5 5x27"_s,
                              u"digit 6 6x27"_s, u"digit 10 10x27"_s, u"digit 12 12x27"_s,
                              u"main 1,2,3"_s, u"select 1"_s}));

        // The shipped skins each apply whole: background, box, 13 digits, two colours and the
        // selection; a shipped file that cannot be read leaves its call out.
        Window shipped(QStringLiteral(SV_SOURCE_DIR "/assets"), QString());
        QCOMPARE(shipped.cboSkins.count(), 3);
        for (int k = 0; k < 3; ++k) {
            shipped.pick(k);
            QCOMPARE(shipped.target.calls.size(), 18);
        }
    }
};

QTEST_MAIN(TestSkinner)
#include "tst_skinner.moc"
