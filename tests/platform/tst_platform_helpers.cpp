#include "platform/failure.h"
#include "platform/line_settings.h"
#include "platform/port_devices.h"
#include "platform/qt_dialog_service.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

class TestPlatformHelpers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ordersDeviceNamesNaturally();
    void numbersPortsAndNamesThem();
    void readsLineSettings();
    void refusesMalformedLineSettings_data();
    void refusesMalformedLineSettings();
    void convertsFileFilters();
};

void TestPlatformHelpers::ordersDeviceNamesNaturally()
{
    QStringList names{u"ttyUSB0"_s, u"ttyS10"_s, u"ttyS2"_s, u"ttyS0"_s, u"ttyACM0"_s, u"ttyS1"_s, u"ttyUSB10"_s,
                      u"ttyUSB2"_s};
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return NaturalLess(a, b); });
    QCOMPARE(names, (QStringList{u"ttyACM0"_s, u"ttyS0"_s, u"ttyS1"_s, u"ttyS2"_s, u"ttyS10"_s, u"ttyUSB0"_s,
                                 u"ttyUSB2"_s, u"ttyUSB10"_s}));
    QVERIFY(!NaturalLess(u"ttyS1", u"ttyS1"));
    QVERIFY(NaturalLess(u"ttyS", u"ttyS0"));
    QVERIFY(!NaturalLess(u"ttyS0", u"ttyS"));
    QVERIFY(NaturalLess(u"ttyS1", u"ttyS01"));  // equal value: fewer zeros first
    QVERIFY(NaturalLess(u"a9", u"a10"));
    QVERIFY(NaturalLess(u"a99999999999999999999", u"a100000000000000000000"));  // no overflow
}

void TestPlatformHelpers::numbersPortsAndNamesThem()
{
    const QList<PortDevice> numbered = NumberInNaturalOrder({
        {0, u"/dev/ttyUSB0"_s, u"ttyUSB0"_s, u"FT232R USB UART"_s},
        {0, u"/dev/ttyS1"_s, u"ttyS1"_s, {}},
        {0, u"/dev/ttyS0"_s, u"ttyS0"_s, {}},
    });
    QCOMPARE(numbered.size(), 3);
    QCOMPARE(numbered[0].Name, u"ttyS0"_s);
    QCOMPARE(numbered[0].Number, 1);
    QCOMPARE(numbered[2].Name, u"ttyUSB0"_s);
    QCOMPARE(numbered[2].Number, 3);

    QCOMPARE(PortToolTip(numbered, 3), u"ttyUSB0 (FT232R USB UART)"_s);
    QCOMPARE(PortToolTip(numbered, 1), u"ttyS0"_s);
    QCOMPARE(PortToolTip(numbered, 4), u"no serial port"_s);

    const QString missing = NoSuchPortMessage(numbered, 7);
    QVERIFY2(missing.startsWith(u"There is no serial port 7."_s), qPrintable(missing));
    QVERIFY2(missing.contains(u"1 = ttyS0, 2 = ttyS1, 3 = ttyUSB0 (FT232R USB UART)"_s), qPrintable(missing));
    const QString none = NoSuchPortMessage({}, 1);
    QVERIFY2(none.contains(u"no serial port was found"_s), qPrintable(none));
}

void TestPlatformHelpers::readsLineSettings()
{
    const LineSettings usual = ParseLineSettings(u"38400,n,8,1"_s);
    QCOMPARE(usual.BaudRate, 38400);
    QCOMPARE(usual.ParityBit, LineSettings::Parity::None);
    QCOMPARE(usual.DataBits, 8);
    QCOMPARE(usual.Stop, LineSettings::StopBits::One);

    const LineSettings other = ParseLineSettings(u" 9600 , E , 7 , 2 "_s);
    QCOMPARE(other.BaudRate, 9600);
    QCOMPARE(other.ParityBit, LineSettings::Parity::Even);
    QCOMPARE(other.DataBits, 7);
    QCOMPARE(other.Stop, LineSettings::StopBits::Two);
    QCOMPARE(ParseLineSettings(u"19200,o,5,1.5"_s).Stop, LineSettings::StopBits::OneAndHalf);
    QCOMPARE(ParseLineSettings(u"19200,m,8,1"_s).ParityBit, LineSettings::Parity::Mark);
    QCOMPARE(ParseLineSettings(u"19200,s,8,1"_s).ParityBit, LineSettings::Parity::Space);
}

void TestPlatformHelpers::refusesMalformedLineSettings_data()
{
    QTest::addColumn<QString>("settings");
    QTest::newRow("empty") << QString();
    QTest::newRow("three parts") << u"38400,n,8"_s;
    QTest::newRow("five parts") << u"38400,n,8,1,1"_s;
    QTest::newRow("speed not a number") << u"fast,n,8,1"_s;
    QTest::newRow("speed with sign") << u"+38400,n,8,1"_s;
    QTest::newRow("speed zero") << u"0,n,8,1"_s;
    QTest::newRow("speed too large") << u"99999999999,n,8,1"_s;
    QTest::newRow("parity") << u"38400,x,8,1"_s;
    QTest::newRow("data bits") << u"38400,n,9,1"_s;
    QTest::newRow("stop bits") << u"38400,n,8,3"_s;
}

void TestPlatformHelpers::refusesMalformedLineSettings()
{
    QFETCH(QString, settings);
    try {
        ParseLineSettings(settings);
        QFAIL("malformed settings were accepted");
    } catch (const Failure& failure) {
        QCOMPARE(failure.Number, FailureNumber::InvalidPropertyValue);
        QVERIFY2(failure.Description.contains(u"38400,n,8,1"_s), qPrintable(failure.Description));
        QVERIFY2(failure.Description.contains(u'"' + settings + u'"'), qPrintable(failure.Description));
    }
}

void TestPlatformHelpers::convertsFileFilters()
{
    QCOMPARE(QtNameFilters(u"TOVRAK bin Files (*.bin)|*.bin"_s), QStringList{u"TOVRAK bin Files (*.bin)"_s});
    QCOMPARE(QtNameFilters(u"Scenes|*.bin"_s), QStringList{u"Scenes (*.bin)"_s});
    QCOMPARE(QtNameFilters(u"Text|*.txt;*.log|All|*.*"_s),
             (QStringList{u"Text (*.txt *.log)"_s, u"All (*.*)"_s}));
    QCOMPARE(QtNameFilters(QString()), QStringList());
}

QTEST_GUILESS_MAIN(TestPlatformHelpers)
#include "tst_platform_helpers.moc"
