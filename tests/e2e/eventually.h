#pragma once

#include <QDeadlineTimer>
#include <QTest>

// Polls a condition, letting events run in between, until it holds or the
// time is up. Unlike QTRY_*, which counts only its own waits, the time the
// condition takes counts too: the conditions here run X tools and grab the
// screen, which takes a good part of a second on a busy machine.
template<typename Condition> bool eventually(Condition condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
}

#define E2E_TRY_VERIFY(condition, timeoutMs)                                                       \
    QVERIFY2(eventually([&] { return bool(condition); }, timeoutMs), #condition)

// Compares the last value looked at, so that a failure shows it.
#define E2E_TRY_COMPARE(actual, expected, timeoutMs)                                               \
    do {                                                                                           \
        auto e2eLast = (actual);                                                                   \
        eventually([&] { return (e2eLast = (actual)) == (expected); }, timeoutMs);                 \
        QCOMPARE(e2eLast, expected);                                                               \
    } while (false)
