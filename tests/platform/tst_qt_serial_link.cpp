#include "platform/failure.h"
#include "platform/qt_serial_link.h"
#include "support/pty.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray AllByteValues()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(static_cast<char>(value));
    return bytes;
}

// Runs fn, which must throw a Failure, and returns it.
template <typename Fn>
std::optional<Failure> FailureOf(Fn fn)
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
    void movesEveryByteValueBothWays();
    void namesMissingPortsAndDevices();
    void saysWhenAPortIsInUse();
    void guardsItsProperties();
    void reportsAPortThatGoesAway();
    void describesOpenProblems();
};

void TestQtSerialLink::movesEveryByteValueBothWays()
{
    Pty pty;
    QVERIFY(pty.IsOpen());
    QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });
    QSignalSpy comm(&link, &SerialLink::OnComm);

    link.SetCommPort(1);
    link.SetSettings(u"38400,n,8,1"_s);
    QCOMPARE(link.Settings(), u"38400,n,8,1"_s);
    QVERIFY(!link.PortOpen());
    link.SetPortOpen(true);
    QVERIFY(link.PortOpen());

    const QByteArray all = AllByteValues();
    link.Output(all);
    QCOMPARE(pty.Read(all.size()), all);

    // Settings may change while the port is open.
    link.SetSettings(u"9600,n,8,1"_s);

    pty.Write(all);
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            if (!comm.isEmpty() && link.CommEvent() == CommEventCode::Receive)
                received += link.Input();
            return received.size() >= all.size();
        }(),
        5000);
    QCOMPARE(received, all);
    QCOMPARE(link.CommEvent(), CommEventCode::Receive);

    link.SetPortOpen(false);
    QVERIFY(!link.PortOpen());
    link.SetPortOpen(false);  // closing twice is harmless

    // Bytes that came while closed are not read as the start of the next reply.
    pty.Write("stale");
    QTest::qWait(50);
    link.SetPortOpen(true);
    QTest::qWait(50);
    QCOMPARE(link.Input(), QByteArray());
    pty.Write("\x01\x02");
    QByteArray fresh;
    QTRY_COMPARE((fresh += link.Input()), QByteArray("\x01\x02"));
}

void TestQtSerialLink::namesMissingPortsAndDevices()
{
    Pty pty;
    QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });
    link.SetCommPort(3);
    const std::optional<Failure> noPort = FailureOf([&] { link.SetPortOpen(true); });
    QVERIFY(noPort);
    QCOMPARE(noPort->Number, FailureNumber::InvalidPortNumber);
    QVERIFY2(noPort->Description.contains(u"There is no serial port 3."_s), qPrintable(noPort->Description));
    QVERIFY2(noPort->Description.contains(u"1 = "_s + pty.AsPort().Name), qPrintable(noPort->Description));
    QVERIFY(!link.PortOpen());

    QtSerialLink none([] { return QList<PortDevice>{}; });
    const std::optional<Failure> empty = FailureOf([&] { none.SetPortOpen(true); });
    QVERIFY(empty);
    QVERIFY2(empty->Description.contains(u"no serial port was found"_s), qPrintable(empty->Description));

    const PortDevice gone{1, u"/dev/brindlewick-no-such-device"_s, u"brindlewick-no-such-device"_s, {}};
    QtSerialLink unplugged([&] { return QList<PortDevice>{gone}; });
    const std::optional<Failure> notFound = FailureOf([&] { unplugged.SetPortOpen(true); });
    QVERIFY(notFound);
    QCOMPARE(notFound->Number, FailureNumber::PortOpenFailed);
    QVERIFY2(notFound->Description.contains(u"was not found"_s), qPrintable(notFound->Description));
    QVERIFY2(notFound->Description.contains(gone.Location), qPrintable(notFound->Description));
    QVERIFY(!unplugged.PortOpen());
}

void TestQtSerialLink::saysWhenAPortIsInUse()
{
    Pty pty;
    QtSerialLink first([&] { return QList<PortDevice>{pty.AsPort()}; });
    QtSerialLink second([&] { return QList<PortDevice>{pty.AsPort()}; });
    first.SetPortOpen(true);
    const std::optional<Failure> busy = FailureOf([&] { second.SetPortOpen(true); });
    QVERIFY(busy);
    QVERIFY2(busy->Description.contains(u"in use by another program"_s), qPrintable(busy->Description));
    QVERIFY(!second.PortOpen());
    first.SetPortOpen(false);
    second.SetPortOpen(true);  // free again
    QVERIFY(second.PortOpen());
}

void TestQtSerialLink::guardsItsProperties()
{
    Pty pty;
    QtSerialLink link([&] { return QList<PortDevice>{pty.AsPort()}; });

    const std::optional<Failure> malformed = FailureOf([&] { link.SetSettings(u"38400;n;8;1"_s); });
    QVERIFY(malformed);
    QCOMPARE(malformed->Number, FailureNumber::InvalidPropertyValue);
    QCOMPARE(link.Settings(), u"9600,n,8,1"_s);  // unchanged

    QVERIFY(FailureOf([&] { link.SetCommPort(0); }));
    QCOMPARE(link.CommPort(), 1);

    const std::optional<Failure> closedWrite = FailureOf([&] { link.Output("x"); });
    QVERIFY(closedWrite);
    QCOMPARE(closedWrite->Number, FailureNumber::PortNotOpen);
    QVERIFY(FailureOf([&] { link.Input(); }));

    link.SetPortOpen(true);
    const std::optional<Failure> twice = FailureOf([&] { link.SetPortOpen(true); });
    QVERIFY(twice);
    QCOMPARE(twice->Number, FailureNumber::PortAlreadyOpen);
    QVERIFY(FailureOf([&] { link.SetCommPort(2); }));
    QCOMPARE(link.CommPort(), 1);
    QVERIFY(link.PortOpen());
}

void TestQtSerialLink::reportsAPortThatGoesAway()
{
    // The far end hangs up: Qt then reports a read error over and over.
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
    QCOMPARE(comm.count(), reports);  // told once, then quiet
}

void TestQtSerialLink::describesOpenProblems()
{
    const QString port = u"Serial port 2 (ttyUSB0)"_s;
    const QString noAccess = OpenFailureMessage(port, u"/dev/ttyUSB0"_s, OpenProblem::NoAccess, {});
    QVERIFY(noAccess.startsWith(port));
    QVERIFY(noAccess.contains(u"permission denied"_s));
#ifdef Q_OS_LINUX
    QVERIFY(noAccess.contains(u"dialout"_s));
#endif
    QVERIFY(OpenFailureMessage(port, {}, OpenProblem::InUse, {}).contains(u"in use by another program"_s));
    QVERIFY(OpenFailureMessage(port, u"/dev/ttyUSB0"_s, OpenProblem::NotFound, {}).contains(u"plugged in"_s));
    QCOMPARE(OpenFailureMessage(port, {}, OpenProblem::Other, u"Input/output error"_s),
             u"Serial port 2 (ttyUSB0) cannot be opened: Input/output error."_s);
}

QTEST_GUILESS_MAIN(TestQtSerialLink)
#include "tst_qt_serial_link.moc"
