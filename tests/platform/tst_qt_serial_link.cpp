// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The Qt serial port on a pseudo-terminal.
#include "platform/qt_serial_link.h"
#include "support/modal.h"
#include "support/pty.h"

#include <QSignalSpy>

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

QString DescriptionOf(std::optional<Failure> failure)
{
    return failure ? failure->Description : u"no failure"_s;
}

}  // namespace

class TestQtSerialLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensAtTheSettingsAndForgetsStaleInput()
    {
        Pty pty;
        QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });
        NO_FAILURE(link.SetSettings(u"38400,n,8,1"_s));
        NO_FAILURE(link.SetPortOpen(true));
        QCOMPARE(pty.LineSettings(), u"38400,n,8,1"_s);
        NO_FAILURE(link.SetSettings(u"19200,n,8,1"_s));  // while open
        QCOMPARE(pty.LineSettings(), u"19200,n,8,1"_s);

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
        QCOMPARE(FailureOf([&] { link.SetSettings(u"38400;n;8;1"_s); })->Number, FailureNumber::InvalidPropertyValue);
        QCOMPARE(link.Settings(), u"9600,n,8,1"_s);
        QVERIFY(FailureOf([&] { link.SetCommPort(0); }));
        QCOMPARE(FailureOf([&] { link.Output("x"); })->Number, FailureNumber::PortNotOpen);
        QVERIFY(FailureOf([&] { link.Input(); }));

        NO_FAILURE(link.SetCommPort(3));
        const QString noPort = DescriptionOf(FailureOf([&] { link.SetPortOpen(true); }));
        QVERIFY2(noPort.startsWith(u"There is no serial port 3."_s) && noPort.contains(u"1 = "_s + pty.AsPort().Name),
                 qPrintable(noPort));
        NO_FAILURE(link.SetCommPort(1));
        NO_FAILURE(link.SetPortOpen(true));
        QCOMPARE(FailureOf([&] { link.SetPortOpen(true); })->Number, FailureNumber::PortAlreadyOpen);
        QVERIFY(FailureOf([&] { link.SetCommPort(2); }));
        QCOMPARE(link.CommPort(), 1);

        QtSerialLink second([&] { return QList<PortDevice>{pty.AsPort()}; });
        const QString busy = DescriptionOf(FailureOf([&] { second.SetPortOpen(true); }));
        QVERIFY2(busy.contains(u"in use by another program"_s), qPrintable(busy));

        const PortDevice gone{1, u"/dev/brindlewick-no-such-device"_s, u"brindlewick-no-such-device"_s, {}};
        QtSerialLink unplugged([&] { return QList<PortDevice>{gone}; });
        const QString notFound = DescriptionOf(FailureOf([&] { unplugged.SetPortOpen(true); }));
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
        pty->HangUp();
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
};

QTEST_GUILESS_MAIN(TestQtSerialLink)
#include "tst_qt_serial_link.moc"
