#include "catalogue_fixture.h"
#include "desktopsession.h"
#include "testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <memory>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Settings from an earlier session, each of the six values one that the next
// normal close writes differently, and lines of other kinds the program keeps.
const QByteArray OldSettings = "; Ajustes de una sesi\xc3\xb3n anterior\n[General]"
                               "\nLastCountry=per\xc3\xba\nLastRadio=Radio Vieja\nSkin=Ninguno"
                               "\nNumberType=BLUE\nAutoconnect=no\nStatus=intray"
                               "\n\n[Otra]\nClave=valor\n";

// What happens to a file in its folder, as the kernel reports it: opened, a new name made
// beside it (the temporary copy), renamed onto.
struct FolderWatch {
    enum Kind { Opened, Made, RenamedOnto };

    explicit FolderWatch(const QFileInfo &file)
        : fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
        , name(QFile::encodeName(file.fileName())) {
        inotify_add_watch(fd, QFile::encodeName(file.path()).constData(),
                          IN_OPEN | IN_CREATE | IN_MOVED_TO);
    }
    ~FolderWatch() { ::close(fd); }

    // Waits up to the time given and counts what happened meanwhile.
    void take(int timeoutMs) {
        pollfd p{fd, POLLIN, 0};
        alignas(inotify_event) char buffer[4096];
        const ssize_t length = ::poll(&p, 1, timeoutMs) > 0 ? ::read(fd, buffer, sizeof buffer) : 0;
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            const QByteArray entry(event->len ? event->name : "");
            counts[Opened] += (event->mask & IN_OPEN) && entry == name;
            counts[Made] += (event->mask & IN_CREATE) && entry.startsWith(name + '.');
            counts[RenamedOnto] += (event->mask & IN_MOVED_TO) && entry == name;
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }

    int fd;
    QByteArray name;
    int counts[3] = {0, 0, 0};
};

} // namespace

// The settings file survives the program being killed at any moment of a close: afterwards it is
// the file from before or the one the close writes, whole, never a mix and never empty. And no run
// changes the catalogue.
class TestE2eDataLoss : public QObject {
    Q_OBJECT

private:
    DesktopSession m_session;
    ProgramRun m_program{m_session};
    QByteArray m_catalogueHash;
    QByteArray m_newSettings;

    bool startWithOldSettings() {
        return TestFiles::write(m_program.settingsFile(), OldSettings) &&
               m_program.start(m_session.environment());
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_session.start(/*trayHost=*/false));
        const QString nowhere = u"http://127.0.0.1:9/"_s;
        QVERIFY(m_program.prepare(CatalogueFixture::catalogueBytes(
            {u"Chile"_s, u"Perú"_s}, {{u"Chile"_s, u"Radio Cordillera"_s, nowhere, u"WMP"_s},
                                      {u"Perú"_s, u"Tono Andino"_s, nowhere, u"RP"_s}})));
        m_catalogueHash = TestFiles::sha256(m_program.catalogueFile());

        // A close that nobody interrupts writes the new file.
        QVERIFY(startWithOldSettings());
        QVERIFY(m_program.clickControl(Designed::cmdCloseApp));
        QVERIFY(m_program.waitForExit(15000));
        m_newSettings = TestFiles::read(m_program.settingsFile());
        QCOMPARE(m_newSettings, QByteArray("; Ajustes de una sesi\xc3\xb3n anterior\n[General]"
                                           "\nLastCountry=Per\xc3\xba\nLastRadio=\nSkin="
                                           "\nNumberType=Blue\nAutoconnect=0\nStatus=InTray"
                                           "\n\n[Otra]\nClave=valor\n"));
        QCOMPARE(TestFiles::sha256(m_program.catalogueFile()), m_catalogueHash);
    }

    void killedDuringACloseLeavesTheOldOrTheNewFile_data() {
        QTest::addColumn<int>("kind");   // a FolderWatch::Kind, or -1 for a delay
        QTest::addColumn<int>("moment"); // how many such events, or milliseconds
        // At the very steps of a write, as the kernel reports them...
        for (int n = 1; n <= 4; ++n) {
            QTest::addRow("after open %d", n) << int(FolderWatch::Opened) << n;
            QTest::addRow("after making the copy %d", n) << int(FolderWatch::Made) << n;
            QTest::addRow("after rename %d", n) << int(FolderWatch::RenamedOnto) << n;
        }
        // ...and at moments spread over the close, from the click on.
        for (int ms = 0; ms < 180; ms += 10)
            QTest::addRow("%d ms after the click", ms) << -1 << ms;
    }

    void killedDuringACloseLeavesTheOldOrTheNewFile() {
        QFETCH(int, kind);
        QFETCH(int, moment);
        QVERIFY(startWithOldSettings());
        const QFileInfo file(m_program.settingsFile());
        FolderWatch watch(file);
        QVERIFY(watch.fd >= 0);

        const std::unique_ptr<QProcess> click =
            m_session.startClick(m_program.controlRect(Designed::cmdCloseApp).center());
        if (kind < 0) {
            QVERIFY(click->waitForFinished(10000));
            QThread::msleep(moment);
        }
        for (QDeadlineTimer deadline(20000); kind >= 0 && watch.counts[kind] < moment &&
                                             m_program.running() && !deadline.hasExpired();) {
            watch.take(5);
            m_program.waitForExit(0);
        }
        m_program.killNow();
        click->waitForFinished(10000);

        const QByteArray settings = TestFiles::read(file.filePath());
        // Copies the close may leave behind when killed between making and renaming.
        for (const QString &left : file.dir().entryList({file.fileName() + u".*"_s}, QDir::Files))
            file.dir().remove(left);
        QVERIFY2(settings == OldSettings || settings == m_newSettings,
                 ("neither the old file nor the new one:\n" + settings).constData());
        qInfo("%s", settings == OldSettings ? "the old file" : "the new file");
        QCOMPARE(TestFiles::sha256(m_program.catalogueFile()), m_catalogueHash);
    }
};

QTEST_MAIN(TestE2eDataLoss)
#include "tst_e2e_dataloss.moc"
