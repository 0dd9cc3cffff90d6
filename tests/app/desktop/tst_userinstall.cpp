#include "testfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

const QString Name = u"sintonet-valdren"_s;
const QString Tool = u"sintonet-valdren-emisoras"_s;

class TestUserInstall : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A built program folder as the build leaves it, its settings file included.
    QString makeProgramFolder() {
        const QString folder = m_dir.filePath(u"program"_s);
        for (const auto &[name, script] :
             {std::pair{Name, "#!/bin/sh\ntouch \"$(dirname \"$0\")/launched\"\n"},
              {Tool, "#!/bin/sh\n"}}) {
            const QString path = folder + u'/' + name;
            TestFiles::write(path, script);
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        }
        TestFiles::write(folder + u"/RadioStore.mdb"_s, "catalogue");
        TestFiles::write(folder + u"/Skins/Azul/Fondo.bmp"_s, "skin");
        TestFiles::write(folder + u"/sintonet-valdren.ini"_s, "[General]\nSkin=build\n");
        return folder;
    }

    int run(const QString &script, const QString &home, const QString &dataHome) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, home);
        if (dataHome.isNull())
            environment.remove(u"XDG_DATA_HOME"_s);
        else
            environment.insert(u"XDG_DATA_HOME"_s, dataHome);
        // Never a build from here: the program folder is given.
        environment.insert(u"SV_PROGRAM_FOLDER"_s, makeProgramFolder());
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(u"bash"_s, {QStringLiteral(SV_SOURCE_DIR) + u"/scripts/"_s + script});
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
                   ? process.exitCode()
                   : -1;
    }

private Q_SLOTS:
    // Quotes, dollars and spaces in the data home must survive the launcher's command line;
    // without one, unset or relative, everything goes under the home's own place.
    void installsUpdatesAndRemovesExactlyWhatItPut() {
        const QStringList dataHomes{m_dir.filePath(u"it's \"$data\" $HOME"_s), QString(),
                                    u"relative/place"_s};
        for (const QString &dataHome : dataHomes) {
            const QString home = m_dir.filePath(u"home%1"_s.arg(dataHomes.indexOf(dataHome)));
            QVERIFY(QDir().mkpath(home + u"/.local"_s));
            const bool own = dataHome.startsWith(u'/');
            const QString data = own ? dataHome : home + u"/.local/share"_s;
            TestFiles::write(data + u"/applications/other.desktop"_s, "[Desktop Entry]\n");
            TestFiles::write(data + u"/icons/hicolor/48x48/apps/other.png"_s, "png");
            const QStringList before = TestFiles::tree(home) + TestFiles::tree(data);

            QCOMPARE(run(u"install-user.sh"_s, home, dataHome), 0);
            const QString folder = data + u"/"_s + Name;
            QCOMPARE(TestFiles::read(folder + u"/Skins/Azul/Fondo.bmp"_s), "skin");
            QVERIFY2(!QFile::exists(folder + u"/sintonet-valdren.ini"_s),
                     "the build's settings are not the user's");
            for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
                QCOMPARE(TestFiles::read(
                             u"%1/icons/hicolor/%2x%2/apps/%3.png"_s.arg(data).arg(size).arg(Name)),
                         TestFiles::read(u"" SV_SOURCE_DIR
                                         "/assets/window/icons/icon-%1.png"_s.arg(size)));
            // With a data home of its own, the home gets the station tool's link and no more.
            if (own)
                QCOMPARE(TestFiles::tree(home),
                         (QStringList{u".local/"_s, u".local/bin/"_s, u".local/bin/"_s + Tool}));
            // The launcher is valid, and GLib starts the installed program from it as the
            // menus do.
            const QString launcher = data + u"/applications/"_s + Name + u".desktop"_s;
            QProcess validate;
            validate.setProcessChannelMode(QProcess::MergedChannels);
            validate.start(u"desktop-file-validate"_s, {launcher});
            QVERIFY(validate.waitForFinished(30000));
            QCOMPARE(QString::fromUtf8(validate.readAll()), QString());
            QCOMPARE(QProcess::execute(u"gio"_s, {u"launch"_s, launcher}), 0);
            QTRY_VERIFY(QFile::exists(folder + u"/launched"_s));
            const QFileInfo link(home + u"/.local/bin/"_s + Tool);
            QVERIFY(link.symLinkTarget() == folder + u"/"_s + Tool && link.isExecutable());

            // The program has run, been restyled and given stations: an update keeps it all.
            const QList<std::pair<QString, QByteArray>> kept = {
                {u"/sintonet-valdren.ini"_s, "[General]\nSkin=Mine\n"},
                {u"/Skins/Mine/Fondo.bmp"_s, "mine"},
                {u"/RadioStore.mdb"_s, "changed"},
                {u"/RadioStore.mdb.bak"_s, "catalogue"}};
            for (const auto &[file, bytes] : kept)
                TestFiles::write(folder + file, bytes);
            QCOMPARE(run(u"install-user.sh"_s, home, dataHome), 0);
            for (const auto &[file, bytes] : kept)
                QCOMPARE(TestFiles::read(folder + file), bytes);

            QCOMPARE(run(u"uninstall-user.sh"_s, home, dataHome), 0);
            QCOMPARE(TestFiles::tree(home) + TestFiles::tree(data), before);
        }
    }
};

QTEST_GUILESS_MAIN(TestUserInstall)
#include "tst_userinstall.moc"
