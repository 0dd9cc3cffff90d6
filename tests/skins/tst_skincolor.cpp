#include "skincolor.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSkinColor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestSkinColor::parse_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QColor>("color");

    QTest::newRow("plain") << u"128,128,255"_s << true << QColor(128, 128, 255);
    QTest::newRow("fourth part ignored") << u"0,128,255,7"_s << true << QColor(0, 128, 255);
    QTest::newRow("fourth part not a number") << u"1,2,3,x"_s << true << QColor(1, 2, 3);
    QTest::newRow("blanks") << u"10 , 20 , 30"_s << true << QColor(10, 20, 30);
    QTest::newRow("tabs and edges") << u"\t0,\t255 ,0 "_s << true << QColor(0, 255, 0);
    QTest::newRow("bounds") << u"0,0,255"_s << true << QColor(0, 0, 255);
    QTest::newRow("leading zeros") << u"007,010,000"_s << true << QColor(7, 10, 0);

    QTest::newRow("two parts") << u"0,128"_s << false << QColor();
    QTest::newRow("256") << u"0,256,0"_s << false << QColor();
    QTest::newRow("300") << u"0,300,0"_s << false << QColor();
    QTest::newRow("letters") << u"0,x,0"_s << false << QColor();
    QTest::newRow("digits and letters") << u"12a,0,0"_s << false << QColor();
    QTest::newRow("empty") << QString() << false << QColor();
    QTest::newRow("empty part") << u"1,,3"_s << false << QColor();
    QTest::newRow("blank part") << u"1, ,3"_s << false << QColor();
    QTest::newRow("negative") << u"-1,0,0"_s << false << QColor();
    QTest::newRow("sign") << u"+1,0,0"_s << false << QColor();
    QTest::newRow("fraction") << u"1.5,0,0"_s << false << QColor();
    QTest::newRow("hexadecimal") << u"0x10,0,0"_s << false << QColor();
    QTest::newRow("blank inside number") << u"1 2,0,0"_s << false << QColor();
    QTest::newRow("huge") << u"99999999999999999999,0,0"_s << false << QColor();
    QTest::newRow("semicolons") << u"1;2;3"_s << false << QColor();
}

void TestSkinColor::parse() {
    QFETCH(QString, value);
    QFETCH(bool, valid);
    QFETCH(QColor, color);

    const auto parsed = SkinColor::parse(value);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, color);
}

QTEST_GUILESS_MAIN(TestSkinColor)
#include "tst_skincolor.moc"
