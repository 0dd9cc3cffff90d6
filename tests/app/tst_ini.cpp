#include "ini.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

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
    void missingFileSectionOrKeyReadEmpty() {
        const QString path = write(u"a.ini"_s, "[General]\nSkin=Azul\n");
        QCOMPARE(LeeINI(m_dir.filePath(u"none.ini"_s), u"General"_s, u"Skin"_s), QString());
        QCOMPARE(LeeINI(path, u"Other"_s, u"Skin"_s), QString());
        QCOMPARE(LeeINI(path, u"General"_s, u"Status"_s), QString());
        QCOMPARE(LeeINI(path, u"general"_s, u"SKIN"_s), u"Azul"_s);
    }

    void valuesAreCleanedAndCut() {
        const QString path = write(u"b.ini"_s, "[General]\r\nAutoconnect =  1  \r\n"
                                               "Skin=\"Azul Noche\"\r\nQuoted=  \"  spaced  \" \r\n"
                                               "Half=\"open\r\nEmpty=\r\nLong=" +
                                                   QByteArray(300, 'x') + "\r\n");
        const QList<std::pair<QString, QString>> values = {
            {u"Autoconnect"_s, u"1"_s},     {u"Skin"_s, u"Azul Noche"_s},
            {u"Quoted"_s, u"  spaced  "_s}, {u"Half"_s, u"\"open"_s},
            {u"Empty"_s, QString()},        {u"Long"_s, QString(254, u'x')}};
        for (const auto &[key, value] : values)
            QCOMPARE(LeeINI(path, u"General"_s, key), value);
    }

    void windows1252AndUtf8Files() {
        const QString legacy = write(u"c.ini"_s, "[General]\r\nLastCountry=Espa\xF1"
                                                 "a\r\n");
        QCOMPARE(LeeINI(legacy, u"General"_s, u"LastCountry"_s), u"España"_s);
        const QString utf8 = write(u"d.ini"_s, "\xEF\xBB\xBF[General]\nLastCountry=Espa\xC3\xB1"
                                               "a\n");
        QCOMPARE(LeeINI(utf8, u"General"_s, u"LastCountry"_s), u"España"_s);

        // Rewriting a legacy file keeps its text; the file becomes UTF-8.
        EscribeINI(legacy, u"General"_s, u"Skin"_s, u"Ñandú"_s);
        QCOMPARE(LeeINI(legacy, u"General"_s, u"LastCountry"_s), u"España"_s);
        QCOMPARE(LeeINI(legacy, u"General"_s, u"Skin"_s), u"Ñandú"_s);
    }

    void writeCreatesFileSectionAndKeysInOrder() {
        const QString path = m_dir.filePath(u"new.ini"_s);
        EscribeINI(path, u"General"_s,
                   {{u"LastCountry"_s, u"La"_s},
                    {u"LastRadio"_s, u"La"_s},
                    {u"Skin"_s, u"Sk"_s},
                    {u"NumberType"_s, u"Nu"_s},
                    {u"Autoconnect"_s, u"Au"_s},
                    {u"Status"_s, u"St"_s}});
        QCOMPARE(TestFiles::read(path), QByteArray("[General]\nLastCountry=La\nLastRadio=La\n"
                                                   "Skin=Sk\nNumberType=Nu\nAutoconnect=Au\n"
                                                   "Status=St\n"));
        // A key without a name writes nothing, not even the file.
        const QString none = m_dir.filePath(u"none.ini"_s);
        EscribeINI(none, u"General"_s, {{QString(), u"x"_s}});
        QVERIFY(!QFile::exists(none));
    }

    void writeKeepsEveryOtherLine() {
        const QString path = write(u"e.ini"_s, "; made on Windows\r\n[Other]\r\nSkin=keep\r\n\r\n"
                                               "[GENERAL]\r\nskin=old\r\n; a comment\r\n"
                                               "Status=Normal\r\n\r\n[Last]\r\nx=1");
        EscribeINI(path, u"General"_s, u"Skin"_s, u"new"_s);
        EscribeINI(path, u"General"_s, u"NumberType"_s, u"Blue"_s);
        EscribeINI(path, u"Extra"_s, u"k"_s, u"v"_s);
        QCOMPARE(TestFiles::read(path),
                 QByteArray("; made on Windows\r\n[Other]\r\nSkin=keep\r\n\r\n"
                            "[GENERAL]\r\nskin=new\r\n; a comment\r\n"
                            "Status=Normal\r\nNumberType=Blue\r\n\r\n"
                            "[Last]\r\nx=1\r\n[Extra]\r\nk=v\r\n"));
    }

    void onlyTheFirstOfTwoSectionsOfOneNameIsRead() {
        const QString path = write(u"twice.ini"_s, "[General]\nSkin=primera\n[Other]\nx=1\n"
                                                   "[GENERAL]\nSkin=segunda\nStatus=InTray\n");
        QCOMPARE(LeeINI(path, u"General"_s, u"Skin"_s), u"primera"_s);
        QCOMPARE(LeeINI(path, u"General"_s, u"Status"_s), QString());
        EscribeINI(path, u"General"_s, u"Status"_s, u"Normal"_s);
        QCOMPARE(LeeINI(path, u"General"_s, u"Status"_s), u"Normal"_s);
    }

    void controlCharactersNeverLeaveTheirLine() {
        // A station name from a shared catalogue must not add keys or sections.
        const QString evil = u"Radio\r\nAutoconnect=1\r\n[Evil]\r\nX=1"_s;
        const QString others =
            u"a\tb\x01"_s + QChar(0x7F) + QChar(0x85) + QChar(0x2028) + QChar(0x2029) + u"c"_s;
        const QString path = m_dir.filePath(u"evil.ini"_s);
        EscribeINI(path, u"General"_s,
                   {{u"LastCountry"_s, others},
                    {u"LastRadio"_s, evil},
                    {u"Skin"_s, u"Azul"_s},
                    {u"NumberType"_s, u"Red"_s},
                    {u"Autoconnect"_s, u"0"_s},
                    {u"Status"_s, u"Normal"_s}});
        const QString text = QString::fromUtf8(TestFiles::read(path));
        QCOMPARE(text.count(u'\n'), 7);
        QCOMPARE(text.count(u'\r'), 0);
        for (const QChar c : text)
            QVERIFY2(c == u'\n' || (c >= u' ' && c.unicode() != 0x7F && c.unicode() != 0x85 &&
                                    c.unicode() != 0x2028 && c.unicode() != 0x2029),
                     qPrintable(QString::number(c.unicode(), 16)));
        QCOMPARE(LeeINI(path, u"General"_s, u"LastRadio"_s),
                 u"Radio  Autoconnect=1  [Evil]  X=1"_s);
        QCOMPARE(LeeINI(path, u"General"_s, u"LastCountry"_s), u"a b     c"_s);
        QCOMPARE(LeeINI(path, u"General"_s, u"Skin"_s), u"Azul"_s);
        QCOMPARE(LeeINI(path, u"General"_s, u"NumberType"_s), u"Red"_s);
        QCOMPARE(LeeINI(path, u"General"_s, u"Autoconnect"_s), u"0"_s);
        QCOMPARE(LeeINI(path, u"General"_s, u"Status"_s), u"Normal"_s);
        QCOMPARE(LeeINI(path, u"Evil"_s, u"X"_s), QString());
    }

    void onlyPlainFilesOfBoundedSizeAreReadOrWritten() {
        // A pipe would wait for a writer for ever; /dev/zero never ends.
        QTemporaryDir folder;
        const QString pipe = folder.filePath(u"pipe.ini"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const QString zero = folder.filePath(u"zero.ini"_s);
        QVERIFY(QFile::link(u"/dev/zero"_s, zero));
        const QString big = folder.filePath(u"big.ini"_s);
        const QByteArray bigContent = "[General]\nSkin=grande\n" + QByteArray(2 << 20, ';');
        QVERIFY(TestFiles::write(big, bigContent));
        for (const QString &path : {pipe, zero, big}) {
            QCOMPARE(LeeINI(path, u"General"_s, u"Skin"_s), QString());
            EscribeINI(path, u"General"_s, u"Skin"_s, u"x"_s);
        }
        QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
        QCOMPARE(QFileInfo(zero).symLinkTarget(), u"/dev/zero"_s);
        QCOMPARE(TestFiles::read(big), bigContent);
        QCOMPARE(
            QDir(folder.path())
                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden,
                           QDir::Name),
            (QStringList{u"big.ini"_s, u"pipe.ini"_s, u"zero.ini"_s}));

        // A link to a plain file is read as that file.
        const QString real = write(u"real.ini"_s, "[General]\nSkin=enlazada\n");
        const QString link = folder.filePath(u"link.ini"_s);
        QVERIFY(QFile::link(real, link));
        QCOMPARE(LeeINI(link, u"General"_s, u"Skin"_s), u"enlazada"_s);
    }

    void readOnlyFileAndFolderAreLeftAlone() {
        const QByteArray original("[General]\nSkin=old\n");
        const QString path = write(u"ro.ini"_s, original);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        EscribeINI(path, u"General"_s, u"Skin"_s, u"new"_s);
        QCOMPARE(TestFiles::read(path), original);

        QTemporaryDir folder;
        const QString inside = folder.filePath(u"s.ini"_s);
        QVERIFY(TestFiles::write(inside, original));
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EscribeINI(inside, u"General"_s, u"Skin"_s, u"new"_s);
        EscribeINI(folder.filePath(u"other.ini"_s), u"General"_s, u"Skin"_s, u"new"_s);
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
        QCOMPARE(TestFiles::read(inside), original);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"s.ini"_s});
    }

    void failedWriteLeavesNoPartialFile() {
        // A target that is a folder cannot be replaced: nothing may be left beside it.
        QTemporaryDir folder;
        const QString target = folder.filePath(u"settings.ini"_s);
        QVERIFY(QDir().mkdir(target));
        EscribeINI(target, u"General"_s, u"Skin"_s, u"x"_s);
        QCOMPARE(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{u"settings.ini"_s});
        QVERIFY(QFileInfo(target).isDir());
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "tst_ini.moc"
