#include "testfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Name = u"sintonet-valdren"_s;
const QList<int> IconSizes{16, 22, 24, 32, 48, 64, 128, 256};

} // namespace

class TestUserInstall : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QList<std::pair<QString, QByteArray>> m_extra; // further executables in the program folder

    // A built program folder as the build leaves it, its settings file included.
    QString makeProgramFolder() {
        const QString folder = m_dir.filePath(u"program"_s);
        const QString program = folder + u"/"_s + Name;
        TestFiles::write(program, "#!/bin/sh\ntouch \"$(dirname \"$0\")/launched\"\n");
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner |
                                           QFile::ExeGroup | QFile::ExeOther);
        TestFiles::write(folder + u"/RadioStore.mdb"_s, "catalogue");
        TestFiles::write(folder + u"/Skins/Azul/Fondo.bmp"_s, "skin");
        TestFiles::write(folder + u"/sintonet-valdren.ini"_s, "[General]\nSkin=build\n");
        for (const auto &[name, text] : std::as_const(m_extra)) {
            TestFiles::write(folder + u"/"_s + name, text);
            QFile::setPermissions(folder + u"/"_s + name, QFile::permissions(program));
        }
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
        process.start(u"bash"_s, {QStringLiteral(SV_SOURCE_DIR) + u"/scripts/"_s + script});
        if (!process.waitForFinished(60000))
            return -1;
        if (process.exitCode() != 0)
            qWarning().noquote() << process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // The launcher is valid, and GLib starts the installed program from it as the menus do.
    static void checkLauncher(const QString &launcher, const QString &launchedMark) {
        if (QStandardPaths::findExecutable(u"desktop-file-validate"_s).isEmpty() ||
            QStandardPaths::findExecutable(u"gio"_s).isEmpty()) {
            QVERIFY(QFile::exists(launcher));
            return;
        }
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(u"desktop-file-validate"_s, {launcher});
        QVERIFY(validate.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(validate.readAll()), QString());
        QCOMPARE(validate.exitCode(), 0);
        QProcess launch;
        launch.start(u"gio"_s, {u"launch"_s, launcher});
        QVERIFY(launch.waitForFinished(30000));
        QCOMPARE(launch.exitCode(), 0);
        QTRY_VERIFY(QFile::exists(launchedMark));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Quotes, dollars and spaces in the data home must survive the launcher's command line;
    // without one, unset or relative, everything goes under the home's own place.
    void installsUpdatesAndRemovesExactlyWhatItPut() {
        const QString tool = u"sintonet-valdren-emisoras"_s;
        m_extra = {{tool, "#!/bin/sh\necho emisoras\n"}};
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
            QVERIFY(QFileInfo(folder + u"/"_s + Name).isExecutable());
            QCOMPARE(TestFiles::read(folder + u"/Skins/Azul/Fondo.bmp"_s), "skin");
            QVERIFY2(!QFile::exists(folder + u"/sintonet-valdren.ini"_s),
                     "the build's settings are not the user's");
            for (int size : IconSizes) {
                const QString number = QString::number(size);
                QCOMPARE(TestFiles::read(
                             u"%1/icons/hicolor/%2x%2/apps/%3.png"_s.arg(data, number, Name)),
                         TestFiles::read(u"%1/assets/window/icons/icon-%2.png"_s.arg(
                             QStringLiteral(SV_SOURCE_DIR), number)));
            }
            // With a data home of its own, the home gets the station tool's link and no more.
            if (own)
                QCOMPARE(TestFiles::tree(home),
                         (QStringList{u".local/"_s, u".local/bin/"_s, u".local/bin/"_s + tool}));
            checkLauncher(data + u"/applications/"_s + Name + u".desktop"_s,
                          folder + u"/launched"_s);
            const QString link = home + u"/.local/bin/"_s + tool;
            QCOMPARE(QFileInfo(link).symLinkTarget(), folder + u"/"_s + tool);
            QProcess p;
            p.start(link, {});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.readAll(), "emisoras\n");

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
        m_extra.clear();
    }
};

QTEST_GUILESS_MAIN(TestUserInstall)
#include "tst_userinstall.moc"
