// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/failure.h"
#include "platform/line_settings.h"
#include "platform/port_devices.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

class TestPlatformHelpers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void numbersPortsInNaturalOrder()
    {
        QStringList names{u"ttyUSB0"_s, u"ttyS10"_s, u"ttyS2"_s, u"ttyS0"_s, u"ttyACM0"_s, u"ttyUSB10"_s};
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return NaturalLess(a, b); });
        QCOMPARE(names, (QStringList{u"ttyACM0"_s, u"ttyS0"_s, u"ttyS2"_s, u"ttyS10"_s, u"ttyUSB0"_s, u"ttyUSB10"_s}));
        QVERIFY(!NaturalLess(u"ttyS1", u"ttyS1"));
        QVERIFY(NaturalLess(u"ttyS", u"ttyS0") && !NaturalLess(u"ttyS0", u"ttyS"));
        QVERIFY(NaturalLess(u"a99999999999999999999", u"a100000000000000000000"));  // no overflow

        const QList<PortDevice> ports = NumberInNaturalOrder(
            {{0, u"/dev/ttyUSB0"_s, u"ttyUSB0"_s, u"FT232R"_s}, {0, u"/dev/ttyS0"_s, u"ttyS0"_s, {}}});
        QCOMPARE(ports[0].Name, u"ttyS0"_s);
        QCOMPARE(ports[1].Number, 2);
        QCOMPARE(PortToolTip(ports, 2), u"ttyUSB0 (FT232R)"_s);
        QCOMPARE(PortToolTip(ports, 3), u"no serial port"_s);
        QCOMPARE(NoSuchPortMessage(ports, 7),
                 u"There is no serial port 7. The serial ports found are: 1 = ttyS0, "
                 "2 = ttyUSB0 (FT232R). Choose one of these under Comm Port."_s);
        QVERIFY(NoSuchPortMessage({}, 1).contains(u"no serial port was found"_s));
    }

    void readsLineSettings()
    {
        const LineSettings usual = ParseLineSettings(u"38400,n,8,1"_s);
        QCOMPARE(usual, (LineSettings{38400, LineSettings::Parity::None, 8, LineSettings::StopBits::One}));
        QCOMPARE(ParseLineSettings(u" 9600 , E , 7 , 2 "_s),
                 (LineSettings{9600, LineSettings::Parity::Even, 7, LineSettings::StopBits::Two}));
        QCOMPARE(ParseLineSettings(u"19200,m,5,1.5"_s),
                 (LineSettings{19200, LineSettings::Parity::Mark, 5, LineSettings::StopBits::OneAndHalf}));

        for (const QString& bad :
             {QString(), u"38400,n,8"_s, u"38400,n,8,1,1"_s, u"fast,n,8,1"_s, u"+38400,n,8,1"_s, u"0,n,8,1"_s,
              u"99999999999,n,8,1"_s, u"38400,x,8,1"_s, u"38400,n,9,1"_s, u"38400,n,8,3"_s}) {
            try {
                ParseLineSettings(bad);
                QFAIL(qPrintable(bad + u" was accepted"_s));
            } catch (const Failure& failure) {
                QCOMPARE(failure.Number, FailureNumber::InvalidPropertyValue);
                QVERIFY2(failure.Description.contains(u'"' + bad + u'"'), qPrintable(failure.Description));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPlatformHelpers)
#include "tst_platform_helpers.moc"
