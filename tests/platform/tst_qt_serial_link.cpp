// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/failure.h"
#include "platform/qt_serial_link.h"
#include "support/pty.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The Failure that fn throws, if it throws one.
template <typename Fn> std::optional<Failure> FailureOf(Fn fn)
{
    try {
        fn();
    } catch (const Failure& failure) {
        return failure;
    }
    return std::nullopt;
}

}  // namespace

class TestQtSerialLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void movesEveryByteValueBothWays()
    {
        Pty pty;
        QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });
        link.SetSettings(u"38400,n,8,1"_s);
        link.SetPortOpen(true);
        QByteArray all;
        for (int value = 0; value < 256; ++value)
            all.append(static_cast<char>(value));
        link.Output(all);
        QVERIFY(link.Flush(5000));
        QCOMPARE(link.OutBufferCount(), 0);
        QCOMPARE(pty.Read(all.size()), all);

        link.SetSettings(u"9600,n,8,1"_s);  // while open
        pty.Write(all);
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += link.Input()).size() >= all.size(), 5000);
        QCOMPARE(received, all);
        QCOMPARE(link.CommEvent(), CommEventCode::Receive);

        // Bytes that came while closed are not read as the start of the next reply.
        link.SetPortOpen(false);
        pty.Write("stale");
        QTest::qWait(50);
        link.SetPortOpen(true);
        QTest::qWait(50);
        QCOMPARE(link.Input(), QByteArray());
        pty.Write("\x01\x02");
        QByteArray fresh;
        QTRY_COMPARE((fresh += link.Input()), QByteArray("\x01\x02"));
    }

    void namesMissingPortsAndDevices()
    {
        Pty pty;
        QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });
        link.SetCommPort(3);
        const std::optional<Failure> noPort = FailureOf([&] { link.SetPortOpen(true); });
        QVERIFY(noPort && noPort->Description.startsWith(u"There is no serial port 3."_s));
        QVERIFY2(noPort->Description.contains(u"1 = "_s + pty.AsPort().Name), qPrintable(noPort->Description));

        const PortDevice gone{1, u"/dev/brindlewick-no-such-device"_s, u"brindlewick-no-such-device"_s, {}};
        QtSerialLink unplugged([&] { return QList<PortDevice>{gone}; });
        const std::optional<Failure> notFound = FailureOf([&] { unplugged.SetPortOpen(true); });
        QVERIFY(notFound && notFound->Description.contains(u"/dev/brindlewick-no-such-device was not found"_s));
        QVERIFY(!unplugged.PortOpen());

#ifdef Q_OS_LINUX
        QVERIFY(OpenFailureMessage(u"Serial port 2"_s, u"/dev/ttyUSB0"_s, OpenProblem::NoAccess, {})
                    .contains(u"dialout group"_s));
#endif
    }

    void saysWhenAPortIsInUse()
    {
        Pty pty;
        QtSerialLink first([&] { return QList<PortDevice>{pty.AsPort()}; });
        QtSerialLink second([&] { return QList<PortDevice>{pty.AsPort()}; });
        first.SetPortOpen(true);
        const std::optional<Failure> busy = FailureOf([&] { second.SetPortOpen(true); });
        QVERIFY2(busy && busy->Description.contains(u"in use by another program"_s),
                 qPrintable(busy ? busy->Description : QString()));
        first.SetPortOpen(false);
        second.SetPortOpen(true);
        QVERIFY(second.PortOpen());
    }

    void guardsItsProperties()
    {
        Pty pty;
        QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });
        QCOMPARE(FailureOf([&] { link.SetSettings(u"38400;n;8;1"_s); })->Number, FailureNumber::InvalidPropertyValue);
        QCOMPARE(link.Settings(), u"9600,n,8,1"_s);
        QVERIFY(FailureOf([&] { link.SetCommPort(0); }));
        QCOMPARE(FailureOf([&] { link.Output("x"); })->Number, FailureNumber::PortNotOpen);
        QVERIFY(FailureOf([&] { link.Input(); }));
        link.SetPortOpen(true);
        QCOMPARE(FailureOf([&] { link.SetPortOpen(true); })->Number, FailureNumber::PortAlreadyOpen);
        QVERIFY(FailureOf([&] { link.SetCommPort(2); }));
        QCOMPARE(link.CommPort(), 1);
    }

    void reportsAPortThatGoesAwayOnce()
    {
        // When the far end hangs up, Qt reports a read error over and over.
        Pty pty;
        QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });
        QSignalSpy comm(&link, &SerialLink::OnComm);
        link.SetPortOpen(true);
        pty.CloseSlave();
        pty.CloseMaster();
        QTRY_VERIFY_WITH_TIMEOUT(link.CommEvent() == CommEventCode::PortLost, 5000);
        QVERIFY(!link.PortOpen());
        const qsizetype reports = comm.count();
        QTest::qWait(100);
        QCOMPARE(comm.count(), reports);
    }
};

QTEST_GUILESS_MAIN(TestQtSerialLink)
#include "tst_qt_serial_link.moc"
