#include "ini.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class TestIni : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes) {
        const QString path = m_dir.filePath(name);
        if (!TestFiles::write(path, bytes))
            qFatal("cannot write fixture");
        return path;
    }

private Q_SLOTS:
    void reading() {
        const QByteArray plain = "[General]\nSkin=Azul\n";
        const QByteArray messy = "[General]\r\nAutoconnect =  1  \r\nSkin=\"Azul Noche\"\r\n"
                                 "Quoted=  \"  spaced  \" \r\nHalf=\"open\r\nLong=" +
                                 QByteArray(300, 'x') + "\r\n";
        const QByteArray twice = "[General]\nSkin=primera\n[Other]\nx=1\n"
                                 "[GENERAL]\nSkin=segunda\nStatus=InTray\n";
        const struct {
            QByteArray file; // null: no file at all
            QString section, key, value;
        } rows[] = {
            {plain, u"general"_s, u"SKIN"_s, u"Azul"_s},
            {plain, u"Other"_s, u"Skin"_s, {}},
            {{}, u"General"_s, u"Skin"_s, {}},
            {messy, u"General"_s, u"Autoconnect"_s, u"1"_s},
            {messy, u"General"_s, u"Quoted"_s, u"  spaced  "_s},
            {messy, u"General"_s, u"Half"_s, u"\"open"_s},
            {messy, u"General"_s, u"Long"_s, QString(254, u'x')},
            {twice, u"General"_s, u"Skin"_s, u"primera"_s},
            {twice, u"General"_s, u"Status"_s, {}},
            // Windows-1252, and UTF-8 with its mark.
            {"[General]\r\nLastCountry=Espa\361a\r\n", u"General"_s, u"LastCountry"_s, u"España"_s},
            {"\xEF\xBB\xBF[General]\nLastCountry=Espa\303\261a\n", u"General"_s, u"LastCountry"_s,
             u"España"_s},
        };
        for (const auto &row : rows) {
            const QString path =
                row.file.isNull() ? m_dir.filePath(u"none.ini"_s) : write(u"read.ini"_s, row.file);
            QCOMPARE(LeeINI(path, row.section, row.key), row.value);
        }
    }

    void writeKeepsEveryOtherLine() {
        const QString path = write(u"e.ini"_s, "; made on Windows\r\n[Other]\r\nSkin=keep\r\n\r\n"
                                               "[GENERAL]\r\nskin=old\r\n; a comment\r\n"
                                               "Status=Normal\r\n\r\n[Last]\r\nx=1\r\n"
                                               "[General]\r\nNumberType=second\r\n");
        EscribeINI(path, u"General"_s, u"Skin"_s, u"new"_s);
        EscribeINI(path, u"General"_s, u"NumberType"_s, u"Blue"_s);
        EscribeINI(path, u"Extra"_s, u"k"_s, u"v"_s);
        QCOMPARE(
            TestFiles::read(path),
            QByteArray("; made on Windows\r\n[Other]\r\nSkin=keep\r\n\r\n"
                       "[GENERAL]\r\nskin=new\r\n; a comment\r\n"
                       "Status=Normal\r\nNumberType=Blue\r\n\r\n"
                       "[Last]\r\nx=1\r\n[General]\r\nNumberType=second\r\n[Extra]\r\nk=v\r\n"));
        // A legacy file keeps its text and becomes UTF-8.
        const QString legacy = write(u"c.ini"_s, "[General]\r\nLastCountry=Espa\361a\r\n");
        EscribeINI(legacy, u"General"_s, u"Skin"_s, u"Ñandú"_s);
        QCOMPARE(
            TestFiles::read(legacy),
            QByteArray("[General]\r\nLastCountry=Espa\303\261a\r\nSkin=\303\221and\303\272\r\n"));
    }

    void controlCharactersNeverLeaveTheirLine() {
        // A station name from a shared catalogue must not add keys or sections.
        const QString evil = u"Radio\r\nAutoconnect=1\r\n[Evil]\r\nX=1"_s;
        const QString others =
            u"a\tb\x01"_s + QChar(0x7F) + QChar(0x85) + QChar(0x2028) + QChar(0x2029) + u"c"_s;
        const QString path = m_dir.filePath(u"evil.ini"_s);
        EscribeINI(
            path, u"General"_s,
            {{u"LastCountry"_s, others}, {u"LastRadio"_s, evil}, {u"Autoconnect"_s, u"0"_s}});
        QCOMPARE(TestFiles::read(path), QByteArray("[General]\nLastCountry=a b     c\n"
                                                   "LastRadio=Radio  Autoconnect=1  [Evil]  X=1\n"
                                                   "Autoconnect=0\n"));
    }

    // A pipe would wait for a writer for ever; /dev/zero never ends; a file too large, a
    // read-only file or folder, a folder in the file's place: each is left as it is, with
    // nothing beside it.
    void onlyPlainWritableFilesOfBoundedSize() {
        QTemporaryDir folder;
        const auto at = [&folder](const QString &name) { return folder.filePath(name); };
        QCOMPARE(::mkfifo(QFile::encodeName(at(u"pipe.ini"_s)).constData(), 0600), 0);
        QVERIFY(QFile::link(u"/dev/zero"_s, at(u"zero.ini"_s)));
        const QByteArray big = "[General]\nSkin=grande\n" + QByteArray(2 << 20, ';');
        const QByteArray original("[General]\nSkin=old\n");
        QVERIFY(TestFiles::write(at(u"big.ini"_s), big) &&
                TestFiles::write(at(u"ro.ini"_s), original) &&
                TestFiles::write(at(u"s.ini"_s), original));
        QFile::setPermissions(at(u"ro.ini"_s), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QVERIFY(QDir().mkdir(at(u"dir.ini"_s)));
        for (const QString &name : {u"big.ini"_s, u"dir.ini"_s, u"pipe.ini"_s, u"zero.ini"_s}) {
            QCOMPARE(LeeINI(at(name), u"General"_s, u"Skin"_s), QString());
            EscribeINI(at(name), u"General"_s, u"Skin"_s, u"x"_s);
        }
        EscribeINI(at(u"ro.ini"_s), u"General"_s, u"Skin"_s, u"x"_s);
        // In a read-only folder neither a plain file nor a new one is written.
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EscribeINI(at(u"s.ini"_s), u"General"_s, u"Skin"_s, u"new"_s);
        EscribeINI(at(u"other.ini"_s), u"General"_s, u"Skin"_s, u"new"_s);
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
        QVERIFY(!QFileInfo(at(u"pipe.ini"_s)).isFile());
        QCOMPARE(QFileInfo(at(u"zero.ini"_s)).symLinkTarget(), u"/dev/zero"_s);
        QCOMPARE(TestFiles::read(at(u"big.ini"_s)), big);
        QCOMPARE(TestFiles::read(at(u"ro.ini"_s)) + TestFiles::read(at(u"s.ini"_s)),
                 original + original);
        QCOMPARE(TestFiles::tree(folder.path()),
                 (QStringList{u"big.ini"_s, u"dir.ini/"_s, u"pipe.ini"_s, u"ro.ini"_s, u"s.ini"_s,
                              u"zero.ini"_s}));

        // A link to a plain file is read as that file.
        QVERIFY(QFile::link(write(u"real.ini"_s, "[General]\nSkin=enlazada\n"), at(u"link.ini"_s)));
        QCOMPARE(LeeINI(at(u"link.ini"_s), u"General"_s, u"Skin"_s), u"enlazada"_s);
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "tst_ini.moc"
