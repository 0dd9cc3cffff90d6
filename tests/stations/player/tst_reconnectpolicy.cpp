#include "reconnectpolicy.h"

#include <QTest>

// Moments are plain numbers here: the policy keeps no clock of its own.
class TestReconnectPolicy : public QObject {
    Q_OBJECT

private:
    static constexpr int Fails = -1;

    static int afterFailure(ReconnectPolicy &policy, qint64 nowMs) {
        return policy.failed(nowMs).value_or(Fails);
    }

private Q_SLOTS:
    void aStationNeverLiveFails() {
        ReconnectPolicy policy;
        policy.restart();
        QCOMPARE(afterFailure(policy, 0), Fails);
        // Having played is not enough: a file that ends is no live station.
        policy.playingFrom(0);
        QCOMPARE(afterFailure(policy, 60000), Fails);
    }

    void pausesGrowToALimitWhileNothingPlays() {
        ReconnectPolicy policy;
        policy.restart();
        QList<int> pauses{policy.dropped(0)};
        for (int i = 0; i < 6; ++i)
            pauses.append(afterFailure(policy, 0));
        QCOMPARE(pauses, (QList<int>{1000, 2000, 4000, 8000, 16000, 30000, 30000}));
    }

    void playingLongEnoughStartsThePausesShortAgain() {
        ReconnectPolicy policy;
        policy.restart();
        QCOMPARE(policy.dropped(0), 1000);
        QCOMPARE(afterFailure(policy, 0), 2000);
        policy.playingFrom(100000);
        QCOMPARE(policy.dropped(100000 + ReconnectPolicy::SteadyPlayMs - 1), 4000);
        policy.playingFrom(200000);
        QCOMPARE(policy.dropped(200000 + ReconnectPolicy::SteadyPlayMs), 1000);
        // What played before the last drop counts no more.
        QCOMPARE(afterFailure(policy, 900000), 2000);
    }

    void aNewStationStartsAfresh() {
        ReconnectPolicy policy;
        policy.restart();
        policy.dropped(0);
        policy.failed(0);
        policy.restart();
        QCOMPARE(afterFailure(policy, 0), Fails);
        QCOMPARE(policy.dropped(0), 1000);
    }

    // After a sleep the pauses start short, and a station that played is tried again even if
    // the first try fails, as the network may not be up yet.
    void resumingStartsThePausesShortForAStationThatPlayed() {
        ReconnectPolicy policy;
        policy.restart();
        policy.playingFrom(0);
        policy.resume();
        QCOMPARE(afterFailure(policy, 1), 1000);
        QCOMPARE(afterFailure(policy, 2), 2000);
        policy.resume();
        QCOMPARE(afterFailure(policy, 3), 1000);
    }
};

QTEST_GUILESS_MAIN(TestReconnectPolicy)
#include "tst_reconnectpolicy.moc"
