#include "optionspanel.h"
#include "startupstatus.h"
#include "windowoutline.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

char *toString(const WindowOutline &o) {
    return qstrdup(qPrintable(u"%1,%2-%3,%4 (%5x%6)"_s.arg(o.left)
                                  .arg(o.top)
                                  .arg(o.right)
                                  .arg(o.bottom)
                                  .arg(o.ellipseWidth)
                                  .arg(o.ellipseHeight)));
}

class TestShellLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outlineEdges_data();
    void outlineEdges();
    void outlineHalvesRoundToEven();
    void cornerRows();
    void statusList();
};

void TestShellLogic::outlineEdges_data() {
    QTest::addColumn<double>("tpp");
    QTest::addColumn<int>("direction");
    QTest::addColumn<WindowOutline>("expected");
    QTest::newRow("15 open") << 15.0 << 1 << WindowOutline{3, 22, 674, 225, 30, 30};
    QTest::newRow("15 closed") << 15.0 << -1 << WindowOutline{3, 22, 244, 225, 30, 30};
    QTest::newRow("12 open") << 12.0 << 1 << WindowOutline{4, 28, 842, 281, 30, 30};
    QTest::newRow("12 closed") << 12.0 << -1 << WindowOutline{4, 28, 305, 281, 30, 30};
}

// The outline left by a whole animation, as the stepping really ends.
void TestShellLogic::outlineEdges() {
    QFETCH(double, tpp);
    QFETCH(int, direction);
    QFETCH(WindowOutline, expected);
    const std::vector<double> steps = OptionsPanel::fractions(200, qint16(direction));
    QCOMPARE(steps.size(), 200u);
    QCOMPARE(steps.front(), direction > 0 ? 0.0 : 1.0);
    QCOMPARE(CreaRegion(steps.back(), 1, 1, 0, 0, tpp, tpp), expected);
}

void TestShellLogic::outlineHalvesRoundToEven() {
    // At 18 twips per pixel: left 2.5, top 18.33, right 201.67, bottom 187.5.
    QCOMPARE(CreaRegion(0, 1, 1, 0, 0, 18, 18), (WindowOutline{2, 18, 202, 188, 30, 30}));
    // Offsets and scale are applied before rounding: 3 * 1.5 - 2 = 2.5.
    QCOMPARE(CreaRegion(1, 1.5f, 1, -2, 0, 15, 15).left, 2);
}

// The 30 x 30 corners, row by row, as the original platform cuts them: the
// last column and row of the rectangle are left out, the top corners are one
// row taller than the bottom ones.
void TestShellLogic::cornerRows() {
    const WindowOutline outline{3, 22, 674, 225, 30, 30};
    const QRegion region = outline.region();
    QCOMPARE(region.boundingRect(), QRect(QPoint(3, 22), QPoint(672, 223)));

    const QList<int> topInsets{11, 9, 7, 6, 5, 4, 3, 2, 2, 1, 1, 0, 0, 0, 0};
    const QList<int> bottomInsets{0, 0, 0, 1, 1, 2, 2, 3, 4, 5, 6, 7, 9, 11};
    auto checkRow = [&](int y, int inset) {
        const int first = 3 + inset;
        const int last = 672 - inset;
        QVERIFY2(region.contains(QPoint(first, y)) && region.contains(QPoint(last, y)),
                 qPrintable(u"row %1"_s.arg(y)));
        QVERIFY2(!region.contains(QPoint(first - 1, y)) && !region.contains(QPoint(last + 1, y)),
                 qPrintable(u"row %1"_s.arg(y)));
    };
    for (int i = 0; i < topInsets.size(); ++i)
        checkRow(22 + i, topInsets[i]);
    for (int y = 37; y < 210; ++y)
        checkRow(y, 0);
    for (int i = 0; i < bottomInsets.size(); ++i)
        checkRow(210 + i, bottomInsets[i]);
}

void TestShellLogic::statusList() {
    QWidget window;
    auto *chkAutoConn = new QCheckBox(&window);
    auto *cboStatus = new QComboBox(&window);
    StartupStatus status(chkAutoConn, cboStatus);
    QCOMPARE(cboStatus->count(), 3);
    QCOMPARE(status.GuardaEstado(), QString());
    QVERIFY(cboStatus->isHidden());

    const QString cases[][3] = {
        {u"INTRAY"_s, u"En Tray"_s, u"InTray"_s},
        {u"intr"_s, u"Normal"_s, u"Normal"_s},
        {u"Minimized"_s, u"Minimizado"_s, u"Minimized"_s},
        {QString(), u"Normal"_s, u"Normal"_s},
    };
    for (const auto &c : cases) {
        status.PonEstado(c[0]);
        QCOMPARE(cboStatus->currentText(), c[1]);
        QCOMPARE(status.GuardaEstado(), c[2]);
    }

    chkAutoConn->setChecked(true);
    QVERIFY(!cboStatus->isHidden());
    status.PonEstado(u"InTray"_s);
    chkAutoConn->setChecked(false);
    QVERIFY(cboStatus->isHidden());
    // Hidden, the choice still counts at the next close.
    QCOMPARE(status.GuardaEstado(), u"InTray"_s);
}

QTEST_MAIN(TestShellLogic)
#include "tst_shell_logic.moc"
