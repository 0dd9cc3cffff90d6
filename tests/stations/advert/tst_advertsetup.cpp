#include "webenginesetup.h"

#include <QCoreApplication>
#include <QTest>

// Runs without an application object: the set-up is for before it exists.
class TestAdvertSetup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qunsetenv("QTWEBENGINE_DISABLE_SANDBOX"); }

    // Other users keep the sandbox; root switches it off and says so once.
    void onlyRootSwitchesTheSandboxOffAndSaysSoOnce() {
        QVERIFY(WebEngineSetup::prepare(false).isEmpty());
        QVERIFY(!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"));
        const QString notice = WebEngineSetup::prepare(true);
        QVERIFY(notice.contains(QStringLiteral("root")));
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("1"));
        QVERIFY(WebEngineSetup::prepare(true).isEmpty());
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("1"));
    }
};

int main(int argc, char **argv) {
    TestAdvertSetup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_advertsetup.moc"
