#pragma once

#include "testfiles.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// A bus daemon of the test's own that lets anyone own any name and, with no service folders,
// starts nothing on demand. It goes with the object.
class PrivateBus {
public:
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    bool start() {
        const QString config = m_dir.filePath(u"bus.conf"_s);
        TestFiles::write(config, u"<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                 "<auth>EXTERNAL</auth><policy context=\"default\">"
                                 "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                 "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                 "</busconfig>\n"_s.arg(m_dir.path())
                                     .toUtf8());
        m_daemon.start(u"dbus-daemon"_s, {u"--config-file="_s + config, u"--print-address=1"_s});
        if (!QTest::qWaitFor([this] { return m_daemon.canReadLine(); }, 10000))
            return false;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        return true;
    }

    // A connection of its own under this name, so that calls really cross the bus.
    QDBusConnection connect(const QString &name) const {
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};
