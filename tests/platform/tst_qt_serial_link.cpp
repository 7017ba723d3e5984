// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// Port naming, line settings, and the Qt serial port on a pseudo-terminal.
#include "platform/line_settings.h"
#include "platform/port_devices.h"
#include "platform/qt_serial_link.h"
#include "support/modal.h"
#ifdef BRINDLEWICK_PTY
#include "support/pty.h"
#endif

using namespace Qt::StringLiterals;

namespace {

// The Failure that fn throws; number 0 when it throws none.
template <typename Fn> Failure FailureOf(Fn fn)
{
    try {
        fn();
    } catch (const Failure& failure) {
        return failure;
    }
    return {0, u"no failure"_s};
}

}  // namespace

class TestQtSerialLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void numbersPortsInNaturalOrder()
    {
        QStringList names{u"ttyUSB0"_s, u"ttyS10"_s, u"ttyS02"_s,   u"ttyS0"_s,
                          u"ttyACM0"_s, u"ttyS2"_s,  u"ttyUSB10"_s, u"ttyS1"_s};
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return NaturalLess(a, b); });
        QCOMPARE(names,
                 (QStringList{u"ttyACM0"_s, u"ttyS0"_s, u"ttyS1"_s, u"ttyS2"_s, u"ttyS02"_s, u"ttyS10"_s, u"ttyUSB0"_s,
                              u"ttyUSB10"_s}));
        QVERIFY(!NaturalLess(u"ttyS1", u"ttyS1"));
        QVERIFY(NaturalLess(u"ttyS", u"ttyS0") && !NaturalLess(u"ttyS0", u"ttyS"));
        QVERIFY(NaturalLess(u"ttyS002", u"ttyS10") && !NaturalLess(u"ttyS10", u"ttyS002"));  // 2 before 10
        QVERIFY(NaturalLess(u"a99999999999999999999", u"a100000000000000000000"));           // no overflow

        const QList<PortDevice> ports = NumberInNaturalOrder(
            {{0, u"/dev/ttyUSB0"_s, u"ttyUSB0"_s, u"FT232R"_s}, {0, u"/dev/ttyS0"_s, u"ttyS0"_s, {}}});
        QVERIFY(ports[0].Name == u"ttyS0"_s && ports[1].Number == 2);
        QCOMPARE(PortToolTip(ports, 2), u"ttyUSB0 (FT232R)"_s);
        QCOMPARE(PortToolTip(ports, 3), u"no serial port"_s);
        QCOMPARE(NoSuchPortMessage(ports, 7),
                 u"There is no serial port 7. The serial ports found are: 1 = ttyS0, "
                 "2 = ttyUSB0 (FT232R). Choose one of these under Comm Port."_s);
        QVERIFY(NoSuchPortMessage({}, 1).contains(u"no serial port was found"_s));

        // Each macOS adapter counts once, as its call-out device.
        QStringList kept;
        for (const PortDevice& device : CalloutDevicesOnly({{0, u"/dev/tty.usbserial-A1"_s, {}, {}},
                                                            {0, u"/dev/cu.usbserial-A1"_s, {}, {}},
                                                            {0, u"/dev/cu.Bluetooth"_s, {}, {}},
                                                            {0, u"/dev/tty.lonely"_s, {}, {}},
                                                            {0, u"/dev/ttyS0"_s, {}, {}}}))
            kept << device.Location;
        QCOMPARE(
            kept,
            (QStringList{u"/dev/cu.usbserial-A1"_s, u"/dev/cu.Bluetooth"_s, u"/dev/tty.lonely"_s, u"/dev/ttyS0"_s}));
    }

    void readsLineSettings()
    {
        QCOMPARE(ParseLineSettings(u"38400,n,8,1"_s),
                 (LineSettings{38400, LineSettings::Parity::None, 8, LineSettings::StopBits::One}));
        QCOMPARE(ParseLineSettings(u" 9600 , E , 7 , 2 "_s),
                 (LineSettings{9600, LineSettings::Parity::Even, 7, LineSettings::StopBits::Two}));
        QCOMPARE(ParseLineSettings(u"19200,m,5,1.5"_s),
                 (LineSettings{19200, LineSettings::Parity::Mark, 5, LineSettings::StopBits::OneAndHalf}));
        QString parities;
        for (const QString& letter : {u"o"_s, u"s"_s, u"N"_s})
            parities += QString::number(int(ParseLineSettings(u"9600,%1,8,1"_s.arg(letter)).ParityBit));
        QCOMPARE(parities, u"240"_s);  // odd, space, none

        for (const QString& bad :
             {QString(), u"38400,n,8"_s, u"38400,n,8,1,1"_s, u"fast,n,8,1"_s, u"+38400,n,8,1"_s, u"0,n,8,1"_s,
              u"99999999999,n,8,1"_s, u"38400,x,8,1"_s, u"38400,n,9,1"_s, u"38400,n,8,3"_s}) {
            const Failure failure = FailureOf([&] { ParseLineSettings(bad); });
            QVERIFY2(failure.Number == FailureNumber::InvalidPropertyValue &&
                         failure.Description.contains(u'"' + bad + u'"'),
                     qPrintable(bad + u": "_s + failure.Description));
        }
    }

#ifdef BRINDLEWICK_PTY
    void opensAtTheSettingsAndForgetsStaleInput()
    {
        Pty pty;
        QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });
        NO_FAILURE(link.SetSettings(u"38400,n,8,1"_s));
        NO_FAILURE(link.SetPortOpen(true));
        QCOMPARE(pty.LineSettings(), u"38400,n,8,1"_s);
        // While open, every part at once. (A pseudo-terminal keeps 8 data
        // bits and no parity whatever it is asked, so only these show.)
        for (const QString& settings : {u"19200,n,8,2"_s, u"9600,n,8,1"_s, u"38400,n,8,2"_s}) {
            NO_FAILURE(link.SetSettings(settings));
            QCOMPARE(pty.LineSettings(), settings);
        }

        // Bytes that came while closed are not read as the start of the next reply.
        NO_FAILURE(link.SetPortOpen(false));
        pty.Write("stale");
        QTest::qWait(50);
        NO_FAILURE(link.SetPortOpen(true));
        QTest::qWait(50);
        pty.Write("\x01\x02");
        QByteArray fresh;
        NO_FAILURE(QTRY_COMPARE((fresh += link.Input()), QByteArray("\x01\x02")));
        QCOMPARE(link.CommEvent(), CommEventCode::Receive);
    }

    void guardsItsPropertiesAndExplainsOpenFailures()
    {
        Pty pty;
        QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });
        QCOMPARE(FailureOf([&] { link.SetSettings(u"38400;n;8;1"_s); }).Number, FailureNumber::InvalidPropertyValue);
        QCOMPARE(link.Settings(), u"9600,n,8,1"_s);
        QCOMPARE(FailureOf([&] { link.SetCommPort(0); }).Number, FailureNumber::InvalidPortNumber);
        QCOMPARE(FailureOf([&] { link.Output("x"); }).Number, FailureNumber::PortNotOpen);
        QCOMPARE(FailureOf([&] { link.Input(); }).Number, FailureNumber::PortNotOpen);

        NO_FAILURE(link.SetCommPort(3));
        const QString noPort = FailureOf([&] { link.SetPortOpen(true); }).Description;
        QVERIFY2(noPort.startsWith(u"There is no serial port 3."_s) && noPort.contains(u"1 = "_s + pty.AsPort().Name),
                 qPrintable(noPort));
        NO_FAILURE(link.SetCommPort(1));
        NO_FAILURE(link.SetPortOpen(true));
        QCOMPARE(FailureOf([&] { link.SetPortOpen(true); }).Number, FailureNumber::PortAlreadyOpen);
        QCOMPARE(FailureOf([&] { link.SetCommPort(2); }).Number, FailureNumber::PortAlreadyOpen);
        QCOMPARE(link.CommPort(), 1);

        QtSerialLink second([&] { return QList<PortDevice>{pty.AsPort()}; });
        const QString busy = FailureOf([&] { second.SetPortOpen(true); }).Description;
        QVERIFY2(busy.contains(u"in use by another program"_s), qPrintable(busy));

        const PortDevice gone{1, u"/dev/brindlewick-no-such-device"_s, u"brindlewick-no-such-device"_s, {}};
        QtSerialLink unplugged([&] { return QList<PortDevice>{gone}; });
        const QString notFound = FailureOf([&] { unplugged.SetPortOpen(true); }).Description;
        QVERIFY2(notFound.contains(u"/dev/brindlewick-no-such-device was not found"_s), qPrintable(notFound));
#ifdef Q_OS_LINUX
        QVERIFY(OpenFailureMessage(u"Serial port 2"_s, u"/dev/ttyUSB0"_s, OpenProblem::NoAccess, {})
                    .contains(u"dialout group"_s));
#endif
    }

    void reportsAPortThatGoesAwayOnceAndOpensItWhenBack()
    {
        // When the far end hangs up, Qt reports a read error over and over.
        auto pty = std::make_unique<Pty>();
        QtSerialLink link([&] { return QList<PortDevice>{pty->AsPort()}; });
        QSignalSpy comm(&link, &SerialLink::OnComm);
        NO_FAILURE(link.SetPortOpen(true));
        NO_FAILURE(link.Output("frame"));
        QTRY_COMPARE(link.OutBufferCount(), 0);
        // A hang-up once a frame has left is seen before Qt reports it.
        pty->HangUp();
        QVERIFY(!link.FinishOutput());
        QTRY_VERIFY_WITH_TIMEOUT(link.CommEvent() == CommEventCode::PortLost, 5000);
        QVERIFY(!link.PortOpen());
        const qsizetype reports = comm.count();
        QTest::qWait(100);
        QCOMPARE(comm.count(), reports);

        pty = std::make_unique<Pty>();  // the adapter is back
        NO_FAILURE(link.SetPortOpen(true));
        pty->Write("\x05");
        QByteArray got;
        NO_FAILURE(QTRY_COMPARE((got += link.Input()), QByteArray("\x05")));
    }
#endif
};

QTEST_GUILESS_MAIN(TestQtSerialLink)
#include "tst_qt_serial_link.moc"
