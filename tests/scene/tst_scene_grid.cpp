// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "scene/scene_compare.h"
#include "scene/scene_grid.h"
#include "support/fake_dialog_service.h"
#include "support/files.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSceneGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsEntriesAndLineBreaksAndRoundTrips()
    {
        QCOMPARE(FormatSceneGrid({}), QString());
        QCOMPARE(FormatSceneGrid(QByteArray::fromHex("0007ff")), u"000 007 255 "_s);
        QCOMPARE(FormatSceneGrid(QByteArray::fromHex("0102030405060708090a0b0c0d0e0f1011")),
                 u"001 002 003 004 005 006 007 008 009 010 011 012 013 014 015 016 \r\n017 "_s);
        QCOMPARE(FormatSceneGrid(SceneBytes(256, '\0')), (u"000 "_s.repeated(16) + u"\r\n"_s).repeated(16));

        // Any length comes back as it went.
        QRandomGenerator random(20261207);
        FakeDialogService dialogs;
        for (int length : {0, 1, 15, 16, 17, 256, 5000}) {
            SceneBytes bytes(length, '\0');
            for (char& byte : bytes)
                byte = static_cast<char>(random.bounded(256));
            QCOMPARE(ParseSceneGrid(FormatSceneGrid(bytes), u"Save Scene"_s, dialogs).value_or("stopped"), bytes);
        }
        QVERIFY(dialogs.Said.isEmpty());
    }

    void comparesScenesAndFindsTheEntriesThatDiffer()
    {
        // the file, the device -> what differs; nothing when they are the same
        const QList<std::tuple<QByteArray, QByteArray, QString>> cases{
            {"\x01\x02"_ba, "\x01\x02"_ba, {}},
            {{}, {}, {}},
            {"\x01\xff\x03\x04"_ba, "\x01\x80\x03\x05"_ba,
             u"2 bytes differ, the first at byte 2 (file 255, device 128)"_s},
            {"\x01\x02\x03"_ba, "\x01\x02"_ba, u"the device holds 2 bytes, the file 3"_s},
            {"\x01"_ba, "\x02\x02"_ba,
             u"the device holds 2 bytes, the file 1; 1 byte differs, the first at byte 1 (file 1, device 2)"_s},
            {{}, "\x05"_ba, u"the device holds 1 byte, the file 0"_s}};
        for (const auto& [file, device, words] : cases) {
            const SceneComparison comparison = CompareScenes(file, device);
            QCOMPARE(DifferenceText(comparison, u"file"_s, u"device"_s), words);
            QCOMPARE(comparison.Same(), words.isEmpty());
        }

        // Where the differing entries are in the box, a CR LF pair being one
        // character there; entries past the other copy's end differ too, and
        // the reading stops at a bad token.
        QCOMPARE(DifferingEntries(u"001 002\r\n003  004 "_s, "\x01\x09\x03"_ba),
                 (QList<std::pair<qsizetype, qsizetype>>{{4, 3}, {13, 3}}));
        QCOMPARE(DifferingEntries(u"1 300 5"_s, {}), (QList<std::pair<qsizetype, qsizetype>>{{0, 1}}));
        QVERIFY(DifferingEntries(FormatSceneGrid(AllValues()), AllValues()).isEmpty());
    }

    void readsTokens()
    {
        // "grid|bytes in hex|the token that stops the parse"; a lone LF or CR
        // is no line break here: it stays inside its token.
        // clang-format off
        const QStringList cases{
            u"255|ff|"_s, u"1 256 2|01|256"_s, u"1e2|64|"_s, u"12abc|0c|"_s, u"0 00 000|000000|"_s, u"0000||0000"_s,
            u"-0||-0"_s, u"7 x|07|x"_s, u"-5||-5"_s, u"+5|05|"_s, u"0.4|00|"_s, u"2.5 3.5|0204|"_s, u"255.4|ff|"_s,
            u"9 255.5|09|255.5"_s, u"1e400||1e400"_s, u"  7   8  \r\n\r\n9 \r\n|070809|"_s, u"   \r\n  ||"_s, u"||"_s,
            u"5\n6 7|0507|"_s, u"\n7|07|"_s, u"8\r99|08|"_s, u"4\r\r\n5|0405|"_s,
            u"1\t2\t3|010203|"_s, u"10,20,30|0a141e|"_s, u"5;6|0506|"_s, u"1, 2;;3\t\r\n4|01020304|"_s, u"7,x|07|x"_s};
        // clang-format on
        for (const QString& c : cases) {
            const QStringList parts = c.split(u'|');
            const SceneGridReading reading = ReadSceneGrid(parts[0]);
            QCOMPARE(reading.Bytes, QByteArray::fromHex(parts[1].toLatin1()));
            QCOMPARE(reading.BadToken.value_or(QString()), parts[2]);
        }
    }

    void marksTheEntriesTheParseWouldStopAt()
    {
        // On any line the marked entries are the parse's tokens, and the first
        // one marked is where the parse stops.
        for (const QString& line : {u"001 256 2"_s, u"0000 5"_s, u"12abc 300 7 x"_s, u"  7   8 "_s, u"255.5 1"_s,
                                    u"1e2 9999"_s, u""_s, u"255 000"_s, u"1\t300,5;x"_s}) {
            const SceneGridReading reading = ReadSceneGrid(line);
            QStringList tokens, bad;
            qsizetype goodBeforeBad = 0;
            for (const GridEntry& entry : GridLineEntries(line)) {
                tokens << line.mid(entry.Start, entry.Length);
                entry.Bad ? void(bad << tokens.last()) : void(goodBeforeBad += bad.isEmpty());
            }
            QCOMPARE(tokens, line.split(QRegularExpression(u"[ \t,;]"_s), Qt::SkipEmptyParts));
            QCOMPARE(bad.value(0), reading.BadToken.value_or(QString()));
            QCOMPARE(goodBeforeBad, reading.Bytes.size());
        }
        // A no-break space or a line break separates entries, as in the text
        // box; only entries reaching into the range asked for are read.
        QCOMPARE(GridLineEntries(u"5\u00a0300\n7"_s).size(), 3);
        const QList<GridEntry> some = GridLineEntries(u"aaa 300 ccc ddd"_s, 5, 6);
        QVERIFY(some.size() == 1 && some[0].Start == 4 && some[0].Length == 3 && some[0].Bad);
    }

    void firstBadTokenStopsWithOneMessage()
    {
        FakeDialogService dialogs;
        QVERIFY(!ParseSceneGrid(u"001 002 300 004 999 \r\nabc"_s, u"Send Scene"_s, dialogs));
        QCOMPARE(dialogs.Said, QStringList{u"Send Scene|300 is not between 0 and 255|16"_s});

        // A pasted 100 000-character token is shortened in the message.
        const QString message = OutOfRangeMessage(u"x"_s.repeated(100000));
        QVERIFY(message.size() < 100 && message.startsWith(u"xxxx"_s) &&
                message.endsWith(u"\u2026 is not between 0 and 255"_s));
    }

    void readsNumericValues()
    {
        // "text|its numeric value"; only ASCII digits count
        // clang-format off
        const QStringList cases{
            u"|0"_s, u"abc|0"_s, u"  \t 42|42"_s, u"-3|-3"_s, u"1.5e1|15"_s, u"1E+2x|100"_s, u"2e-1|0.2"_s, u"5e|5"_s,
            u"5e+|5"_s, u".5|0.5"_s, u"7.|7"_s, u".|0"_s, u"+|0"_s, u"0012|12"_s, u"1 2|1"_s, u"1,5|1"_s,
            u"\u0661\u0662|0"_s, u"1e-99999|0"_s, u"0."_s + u"0"_s.repeated(400) + u"1|0"_s};
        // clang-format on
        for (const QString& c : cases)
            QCOMPARE(NumericValue(c.section(u'|', 0, 0)), c.section(u'|', 1).toDouble());
        QVERIFY(qIsInf(NumericValue(u"9e99999999999999999999")));
        QVERIFY(qIsInf(NumericValue(u"1"_s + u"0"_s.repeated(400))));

        QCOMPARE(WholeNumericValue(u" 5 "_s), 5.0);
        QCOMPARE(WholeNumericValue(u"1e2"_s), 100.0);
        for (const QString& notWhole : {u"12abc"_s, u"5e"_s, u"5 5"_s, QString(), u"."_s})
            QVERIFY2(!WholeNumericValue(notWhole), qPrintable(notWhole));

        const QList<std::pair<double, double>> rounding{{0.5, 0},    {1.5, 2},     {2.5, 2},     {2.4999, 2},
                                                        {2.5001, 3}, {254.5, 254}, {255.5, 256}, {-2.5, -2},
                                                        {-3.5, -4},  {7, 7}};
        for (const auto& [value, rounded] : rounding)
            QCOMPARE(RoundHalfEven(value), rounded);
    }
};

QTEST_GUILESS_MAIN(TestSceneGrid)
#include "tst_scene_grid.moc"
