// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "scene/scene_grid.h"
#include "support/fake_dialog_service.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSceneGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsEntriesAndLineBreaks()
    {
        QCOMPARE(FormatSceneGrid({}), QString());
        QCOMPARE(FormatSceneGrid(QByteArray::fromHex("0007ff")), u"000 007 255 "_s);
        SceneBytes seventeen;
        for (int i = 1; i <= 17; ++i)
            seventeen.append(static_cast<char>(i));
        QCOMPARE(FormatSceneGrid(seventeen),
                 u"001 002 003 004 005 006 007 008 009 010 011 012 013 014 015 016 \r\n017 "_s);
        QCOMPARE(FormatSceneGrid(SceneBytes(256, '\0')), (u"000 "_s.repeated(16) + u"\r\n"_s).repeated(16));
    }

    void roundTripsAnyLength()
    {
        QRandomGenerator random(20261207);
        for (int length : {0, 1, 15, 16, 17, 256, 5000}) {
            SceneBytes bytes(length, '\0');
            for (char& byte : bytes)
                byte = static_cast<char>(random.bounded(256));
            FakeDialogService dialogs;
            const std::optional<SceneBytes> parsed = ParseSceneGrid(FormatSceneGrid(bytes), u"Save Scene"_s, dialogs);
            QVERIFY(parsed);
            QCOMPARE(*parsed, bytes);
            QVERIFY(dialogs.Messages.isEmpty());
        }
    }

    void readsTokens()
    {
        struct Case {
            QString grid;
            QByteArray bytes;  // hex
            QString bad;       // the token that stops the parse
        };
        const QList<Case> cases{
            {u"255"_s, "ff", {}},
            {u"1 256 2"_s, "01", u"256"_s},
            {u"1e2"_s, "64", {}},
            {u"12abc"_s, "0c", {}},
            {u"0 00 000"_s, "000000", {}},
            {u"0000"_s, "", u"0000"_s},
            {u"-0"_s, "", u"-0"_s},
            {u"7 x"_s, "07", u"x"_s},
            {u"-5"_s, "", u"-5"_s},
            {u"+5"_s, "05", {}},
            {u"0.4"_s, "00", {}},
            {u"2.5 3.5"_s, "0204", {}},
            {u"255.4"_s, "ff", {}},
            {u"9 255.5"_s, "09", u"255.5"_s},
            {u"1e400"_s, "", u"1e400"_s},
            {u"  7   8  \r\n\r\n9 \r\n"_s, "070809", {}},
            {u"   \r\n  "_s, "", {}},
            {QString(), "", {}},
            // A lone LF or CR is no line break: it stays inside its token.
            {u"5\n6 7"_s, "0507", {}},
            {u"\n7"_s, "07", {}},
            {u"8\r9"_s, "08", {}},
            {u"4\r\r\n5"_s, "0405", {}},
        };
        for (const Case& c : cases) {
            const SceneGridReading reading = ReadSceneGrid(c.grid);
            QCOMPARE(reading.Bytes, QByteArray::fromHex(c.bytes));
            QCOMPARE(reading.BadToken.value_or(QString()), c.bad);
        }
    }

    void firstBadTokenStopsWithOneMessage()
    {
        FakeDialogService dialogs;
        QVERIFY(!ParseSceneGrid(u"001 002 300 004 999 \r\nabc"_s, u"Send Scene"_s, dialogs));
        QCOMPARE(dialogs.Messages.size(), 1);
        QCOMPARE(dialogs.Messages[0].Text, u"300 is not between 0 and 255"_s);
        QCOMPARE(dialogs.Messages[0].Style, MsgBoxStyle::Critical);
        QCOMPARE(dialogs.Messages[0].Title.value_or(QString()), u"Send Scene"_s);

        // An empty result is no error and says nothing.
        const std::optional<SceneBytes> empty = ParseSceneGrid(u" \r\n "_s, u"Save Scene"_s, dialogs);
        QVERIFY(empty && empty->isEmpty());
        QCOMPARE(dialogs.Messages.size(), 1);

        // A value that rounds to 256 is no byte either.
        QVERIFY(!ParseSceneGrid(u"255.7"_s, u"Save Scene"_s, dialogs));
        QCOMPARE(dialogs.Messages.last().Text, u"255.7 is not between 0 and 255"_s);
        QCOMPARE(dialogs.Messages.last().Title.value_or(QString()), u"Save Scene"_s);

        // A pasted 100 000-character token is shortened in the message.
        const QString message = OutOfRangeMessage(u"x"_s.repeated(100000));
        QVERIFY(message.size() < 100);
        QVERIFY(message.startsWith(u"xxxx"_s) && message.endsWith(u"\u2026 is not between 0 and 255"_s));
    }

    void readsNumericValues()
    {
        const QList<std::pair<QString, double>> cases{
            {{}, 0},
            {u"abc"_s, 0},
            {u"  \t 42"_s, 42},
            {u"-3"_s, -3},
            {u"1.5e1"_s, 15},
            {u"1E+2x"_s, 100},
            {u"2e-1"_s, 0.2},
            {u"5e"_s, 5},
            {u"5e+"_s, 5},
            {u".5"_s, 0.5},
            {u"7."_s, 7},
            {u"."_s, 0},
            {u"+"_s, 0},
            {u"0012"_s, 12},
            {u"1 2"_s, 1},
            {u"1,5"_s, 1},
            {u"\u0661\u0662"_s, 0},  // no locale's comma, only ASCII digits
            {u"1e-99999"_s, 0},
            {u"0."_s + u"0"_s.repeated(400) + u"1"_s, 0},
        };
        for (const auto& [text, value] : cases)
            QCOMPARE(NumericValue(text), value);
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
