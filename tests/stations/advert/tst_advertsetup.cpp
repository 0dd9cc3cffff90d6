#include "webenginesetup.h"

#include <QTest>

// Runs without an application object: the set-up is for before it exists.
class TestAdvertSetup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Other users keep the sandbox; root switches it off and says so once.
    void onlyRootSwitchesTheSandboxOffAndSaysSoOnce() {
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        QVERIFY(WebEngineSetup::prepare(false).isEmpty());
        QVERIFY(!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"));
        QVERIFY(WebEngineSetup::prepare(true).contains(QStringLiteral("root")));
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("1"));
        QVERIFY(WebEngineSetup::prepare(true).isEmpty());
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("1"));
    }
};

QTEST_APPLESS_MAIN(TestAdvertSetup)
#include "tst_advertsetup.moc"
