#include "scene/scene_grid.h"
#include "support/fake_dialog_service.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSceneGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsEntriesAndLineBreaks();
    void roundTripsAnyLength_data();
    void roundTripsAnyLength();
    void readsTokens_data();
    void readsTokens();
    void firstBadTokenStopsWithOneMessage();
    void shortensAVeryLongTokenInTheMessage();
    void readsNumericValues();
    void roundsHalvesToEven();
};

void TestSceneGrid::formatsEntriesAndLineBreaks()
{
    QCOMPARE(FormatSceneGrid({}), QString());
    QCOMPARE(FormatSceneGrid(SceneBytes("\x00\x07\xff", 3)), u"000 007 255 "_s);

    SceneBytes seventeen;
    for (int i = 1; i <= 17; ++i)
        seventeen.append(static_cast<char>(i));
    QCOMPARE(FormatSceneGrid(seventeen),
             u"001 002 003 004 005 006 007 008 009 010 011 012 013 014 015 016 \r\n017 "_s);

    const QString blank = FormatSceneGrid(SceneBytes(256, '\0'));
    const QStringList lines = blank.split(u"\r\n"_s);
    QCOMPARE(lines.size(), 17);  // sixteen lines, each ending CR LF
    QCOMPARE(lines.last(), QString());
    for (qsizetype i = 0; i < 16; ++i)
        QCOMPARE(lines[i], u"000 "_s.repeated(16));
}

void TestSceneGrid::roundTripsAnyLength_data()
{
    QTest::addColumn<SceneBytes>("bytes");
    for (int length : {0, 1, 15, 16, 17, 256}) {
        SceneBytes bytes;
        for (int i = 0; i < length; ++i)
            bytes.append(static_cast<char>((i * 37 + 11) % 256));
        QTest::addRow("%d bytes", length) << bytes;
    }
    QRandomGenerator random(20261207);
    SceneBytes noise(5000, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random.bounded(256));
    QTest::addRow("5000 random bytes") << noise;
    SceneBytes all;
    for (int value = 0; value < 256; ++value)
        all.append(static_cast<char>(value));
    QTest::addRow("every value") << all;
}

void TestSceneGrid::roundTripsAnyLength()
{
    QFETCH(SceneBytes, bytes);
    FakeDialogService dialogs;
    const std::optional<SceneBytes> parsed = ParseSceneGrid(FormatSceneGrid(bytes), u"Save Scene"_s, dialogs);
    QVERIFY(parsed.has_value());
    QCOMPARE(*parsed, bytes);
    QVERIFY(dialogs.Messages.isEmpty());
}

void TestSceneGrid::readsTokens_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QList<int>>("bytes");
    QTest::addColumn<QString>("badToken");  // empty: the grid parses

    const QString ok;
    QTest::newRow("255") << u"255"_s << QList<int>{255} << ok;
    QTest::newRow("256") << u"1 256 2"_s << QList<int>{1} << u"256"_s;
    QTest::newRow("exponent") << u"1e2"_s << QList<int>{100} << ok;
    QTest::newRow("leading number") << u"12abc"_s << QList<int>{12} << ok;
    QTest::newRow("three zero forms") << u"0 00 000"_s << QList<int>{0, 0, 0} << ok;
    QTest::newRow("four zeros") << u"0000"_s << QList<int>{} << u"0000"_s;
    QTest::newRow("minus zero") << u"-0"_s << QList<int>{} << u"-0"_s;
    QTest::newRow("no digits") << u"7 x"_s << QList<int>{7} << u"x"_s;
    QTest::newRow("negative") << u"-5"_s << QList<int>{} << u"-5"_s;
    QTest::newRow("plus sign") << u"+5"_s << QList<int>{5} << ok;
    QTest::newRow("small fraction") << u"0.4"_s << QList<int>{0} << ok;
    QTest::newRow("half rounds to even down") << u"2.5"_s << QList<int>{2} << ok;
    QTest::newRow("half rounds to even up") << u"3.5"_s << QList<int>{4} << ok;
    QTest::newRow("just under 255.5") << u"255.4"_s << QList<int>{255} << ok;
    QTest::newRow("255.5 is no byte") << u"9 255.5"_s << QList<int>{9} << u"255.5"_s;
    QTest::newRow("255.9 is no byte") << u"255.9"_s << QList<int>{} << u"255.9"_s;
    QTest::newRow("huge exponent") << u"1e400"_s << QList<int>{} << u"1e400"_s;
    QTest::newRow("blanks and blank lines") << u"  7   8  \r\n\r\n\r\n9 \r\n"_s << QList<int>{7, 8, 9} << ok;
    QTest::newRow("only separators") << u"   \r\n \r\n  "_s << QList<int>{} << ok;
    QTest::newRow("empty") << QString() << QList<int>{} << ok;
    // A lone LF is no line break: "5\n6" is one token, read as 5.
    QTest::newRow("lone LF inside a token") << u"5\n6 7"_s << QList<int>{5, 7} << ok;
    QTest::newRow("leading LF skipped") << u"\n7"_s << QList<int>{7} << ok;
    QTest::newRow("lone CR ends the number") << u"8\r9"_s << QList<int>{8} << ok;
    QTest::newRow("CR CR LF") << u"4\r\r\n5"_s << QList<int>{4, 5} << ok;
}

void TestSceneGrid::readsTokens()
{
    QFETCH(QString, grid);
    QFETCH(QList<int>, bytes);
    QFETCH(QString, badToken);

    SceneBytes expected;
    for (int value : bytes)
        expected.append(static_cast<char>(value));

    const SceneGridReading reading = ReadSceneGrid(grid);
    QCOMPARE(reading.Bytes, expected);
    QCOMPARE(reading.BadToken.value_or(QString()), badToken);
}

void TestSceneGrid::firstBadTokenStopsWithOneMessage()
{
    FakeDialogService dialogs;
    const std::optional<SceneBytes> parsed =
        ParseSceneGrid(u"001 002 300 004 999 \r\nabc"_s, u"Send Scene"_s, dialogs);
    QVERIFY(!parsed.has_value());
    QCOMPARE(dialogs.Messages.size(), 1);
    QCOMPARE(dialogs.Messages[0].Text, u"300 is not between 0 and 255"_s);
    QCOMPARE(dialogs.Messages[0].Style, MsgBoxStyle::Critical);
    QCOMPARE(dialogs.Messages[0].Title.value_or(QString()), u"Send Scene"_s);

    // An empty result is no error and says nothing.
    dialogs.Messages.clear();
    const std::optional<SceneBytes> empty = ParseSceneGrid(u" \r\n "_s, u"Save Scene"_s, dialogs);
    QVERIFY(empty.has_value());
    QVERIFY(empty->isEmpty());
    QVERIFY(dialogs.Messages.isEmpty());

    // The mended case goes the same way, with the caller's title.
    const std::optional<SceneBytes> rounded = ParseSceneGrid(u"255.7"_s, u"Save Scene"_s, dialogs);
    QVERIFY(!rounded.has_value());
    QCOMPARE(dialogs.Messages.size(), 1);
    QCOMPARE(dialogs.Messages[0].Text, u"255.7 is not between 0 and 255"_s);
    QCOMPARE(dialogs.Messages[0].Title.value_or(QString()), u"Save Scene"_s);
}

void TestSceneGrid::shortensAVeryLongTokenInTheMessage()
{
    const QString garbage = u"x"_s.repeated(100000);
    const QString message = OutOfRangeMessage(garbage);
    QVERIFY(message.size() < 100);
    QVERIFY(message.startsWith(u"xxxx"_s));
    QVERIFY(message.endsWith(u"\u2026 is not between 0 and 255"_s));
    QCOMPARE(OutOfRangeMessage(u"0000"_s), u"0000 is not between 0 and 255"_s);
}

void TestSceneGrid::readsNumericValues()
{
    QCOMPARE(NumericValue(u""), 0.0);
    QCOMPARE(NumericValue(u"abc"), 0.0);
    QCOMPARE(NumericValue(u"  \t 42"), 42.0);
    QCOMPARE(NumericValue(u"-3"), -3.0);
    QCOMPARE(NumericValue(u"1.5e1"), 15.0);
    QCOMPARE(NumericValue(u"1E+2x"), 100.0);
    QCOMPARE(NumericValue(u"2e-1"), 0.2);
    QCOMPARE(NumericValue(u"5e"), 5.0);   // an exponent needs digits
    QCOMPARE(NumericValue(u"5e+"), 5.0);
    QCOMPARE(NumericValue(u".5"), 0.5);
    QCOMPARE(NumericValue(u"7."), 7.0);
    QCOMPARE(NumericValue(u"."), 0.0);
    QCOMPARE(NumericValue(u"+"), 0.0);
    QCOMPARE(NumericValue(u"0012"), 12.0);
    QCOMPARE(NumericValue(u"1 2"), 1.0);  // blanks inside end the number
    QCOMPARE(NumericValue(u"1,5"), 1.0);  // no locale's decimal comma
    QCOMPARE(NumericValue(u"\u0661\u0662"), 0.0);  // only ASCII digits count
    QVERIFY(qIsInf(NumericValue(u"9e99999999999999999999")));
    QCOMPARE(NumericValue(u"1e-99999"), 0.0);
    QVERIFY(qIsInf(NumericValue(u"1"_s + u"0"_s.repeated(400))));
    QCOMPARE(NumericValue(u"0."_s + u"0"_s.repeated(400) + u"1"_s), 0.0);
}

void TestSceneGrid::roundsHalvesToEven()
{
    QCOMPARE(RoundHalfEven(0.5), 0.0);
    QCOMPARE(RoundHalfEven(1.5), 2.0);
    QCOMPARE(RoundHalfEven(2.5), 2.0);
    QCOMPARE(RoundHalfEven(2.4999), 2.0);
    QCOMPARE(RoundHalfEven(2.5001), 3.0);
    QCOMPARE(RoundHalfEven(254.5), 254.0);
    QCOMPARE(RoundHalfEven(255.5), 256.0);
    QCOMPARE(RoundHalfEven(-2.5), -2.0);
    QCOMPARE(RoundHalfEven(-3.5), -4.0);
    QCOMPARE(RoundHalfEven(7.0), 7.0);
}

QTEST_GUILESS_MAIN(TestSceneGrid)
#include "tst_scene_grid.moc"
