// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// brindlewick-cli: its arguments as a table, and the real program run on a
// pseudo-terminal whose far end plays the device.
#include "cli/cli_options.h"
#include "link/frames.h"
#include "support/files.h"
#include "support/scripted_device.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// What the program ended with and wrote.
struct Ran {
    int Status = -1;
    QByteArray Out;
    QString Err;
};

// The options in short, or the start of the error.
QString Described(const CliOptions& o)
{
    if (!o.Error.isEmpty())
        return o.Error;
    if (o.Help)
        return u"help"_s;
    QStringList scenes;
    for (const int n : o.Scenes)
        scenes << QString::number(n);
    return u"%1 port %2 device %3 quiet %4 verbose %5 scene %6 file %7 folder %8 scenes %9 force %10 noverify %11"_s
        .arg(static_cast<int>(o.What))
        .arg(o.Port)
        .arg(o.Device)
        .arg(o.Quiet)
        .arg(o.Verbose)
        .arg(o.Scene)
        .arg(o.File, o.Folder, scenes.size() > 4 ? u"%1-%2"_s.arg(scenes.first(), scenes.last()) : scenes.join(u','))
        .arg(o.Force)
        .arg(o.NoVerify);
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        device_.reset();
        pty_ = std::make_unique<Pty>();
        device_ = std::make_unique<Device>(*pty_);
        dir_ = std::make_unique<QTemporaryDir>();
    }

    void readsItsArguments()
    {
        // clang-format off
        const QList<std::pair<QString, QString>> cases{
            {u"send 5 f.bin"_s, u"2 port 1 device  quiet 0 verbose 0 scene 5 file f.bin folder  scenes  force 0 noverify 0"_s},
            {u"--device /dev/ttyUSB0 --quiet receive 255 -"_s, u"3 port 1 device /dev/ttyUSB0 quiet 1 verbose 0 scene 255 file -"_s},
            {u"--port 3 --verbose backup d --scenes 1-3,7 --force"_s, u"4 port 3 device  quiet 0 verbose 1 scene 0 file  folder d scenes 1,2,3,7 force 1"_s},
            {u"backup d"_s, u"4 port 1 device  quiet 0 verbose 0 scene 0 file  folder d scenes 1-255 force 0"_s},
            {u"restore d --no-verify"_s, u"5 port 1 device  quiet 0 verbose 0 scene 0 file  folder d scenes  force 0 noverify 1"_s},
            {u"ports --help"_s, u"help"_s},
            {u""_s, u"No command given."_s}, {u"frob"_s, u"\"frob\" is no command."_s},
            {u"send 5"_s, u"send wants: send N FILE"_s}, {u"verify a b"_s, u"verify wants: verify DIR"_s},
            {u"send 0 f"_s, u"The Scene number should be between 1 and 255, not \"0\"."_s},
            {u"receive 12abc -"_s, u"The Scene number should be between 1 and 255, not \"12abc\"."_s},
            {u"--port 256 ports"_s, u"--port wants a serial port number from 1 to 255, not \"256\"."_s},
            {u"--port 2 --device x ports"_s, u"Give --port or --device, not both."_s},
            {u"--quiet --verbose ports"_s, u"Give --quiet or --verbose, not both."_s},
            {u"verify d --force"_s, u"--scenes and --force go with backup only."_s},
            {u"backup d --no-verify"_s, u"--no-verify goes with restore only."_s},
            {u"backup d --scenes 300"_s, u"--scenes: 300: scene"_s},
            {u"--bogus ports"_s, u"Unknown option 'bogus'."_s}};
        // clang-format on
        for (const auto& [args, expected] : cases) {
            const QString got =
                Described(ParseCli(QStringList{u"brindlewick-cli"_s} + args.split(u' ', Qt::SkipEmptyParts)));
            QVERIFY2(got.startsWith(expected), qPrintable(args + u" gave "_s + got));
        }
    }

    void backsUpWithASilentNumberAndReplacesOnlyWithForce()
    {
        device_->Replies = {{1, {{10, "\x01\x00\x0a"_ba}}}, {3, {{10, AllValues()}}}};
        Ran ran = Cli({u"backup"_s, dir_->path(), u"--scenes"_s, u"1-3"_s});
        QCOMPARE(ran.Status, 0);
        QCOMPARE(ran.Out,
                 u"2 scenes saved in %1 (numbers 1, 3).\nNo reply from number 2.\n"_s.arg(dir_->path()).toUtf8());
        QCOMPARE(Contents(dir_->filePath(u"scene-001.bin"_s)), "\x01\x00\x0a"_ba);
        QCOMPARE(Contents(dir_->filePath(u"scene-003.bin"_s)), AllValues());
        QVERIFY(!QFile::exists(dir_->filePath(u"scene-002.bin"_s)));

        // Files already there are named, and nothing goes on the line.
        device_->Fetched.clear();
        ran = Cli({u"backup"_s, dir_->path(), u"--scenes"_s, u"1-3"_s});
        QCOMPARE(ran.Status, 4);
        QVERIFY2(
            ran.Err.contains(u"would be replaced: scene-001.bin, scene-003.bin. Nothing was fetched; add --force"_s),
            qPrintable(ran.Err));
        QVERIFY(device_->Fetched.isEmpty() && ran.Out.isEmpty());
        QCOMPARE(Cli({u"backup"_s, dir_->path(), u"--scenes"_s, u"3"_s, u"--force"_s}).Status, 0);
    }

    void sendsAndReceivesThroughStandardInputAndOutput()
    {
        // Every byte value, line ends and NUL included, passes untouched both ways.
        QCOMPARE(Cli({u"send"_s, u"7"_s, u"-"_s}, AllValues()).Status, 0);
        QTRY_COMPARE(device_->Stored, SendFrame(7, AllValues()));
        device_->Replies = {{7, {{10, AllValues()}}}};
        Ran ran = Cli({u"receive"_s, u"7"_s, u"-"_s});
        QCOMPARE(ran.Status, 0);
        QCOMPARE(ran.Out, AllValues());
        ran = Cli({u"receive"_s, u"9"_s, dir_->filePath(u"nine.bin"_s)});
        QCOMPARE(ran.Status, 1);
        QCOMPARE(ran.Err, u"Connection Failed\n"_s);
        QVERIFY(!QFile::exists(dir_->filePath(u"nine.bin"_s)));
    }

    void restoresReadingBackAndVerifyFindsADifference()
    {
        Put(dir_->filePath(u"scene-001.bin"_s), "\x01\x02"), Put(dir_->filePath(u"scene-002.bin"_s), "\x02\x02");
        device_->Replies = {{1, {{10, "\x01\x02"_ba}}}, {2, {{10, "\x02\x07"_ba}}}};
        Ran ran = Cli({u"--verbose"_s, u"restore"_s, dir_->path()});
        QCOMPARE(ran.Status, 1);
        QCOMPARE(device_->Fetched, (QList<int>{1, 2, 2}));
        QCOMPARE(device_->Stored, SendFrame(1, "\x01\x02") + SendFrame(2, "\x02\x02") + SendFrame(2, "\x02\x02"));
        QCOMPARE(ran.Out,
                 "2 scenes sent to the device (numbers 1-2).\n2 scenes read back: 1 still differs:\nScene 2: 1 "
                 "byte differs, the first at byte 2 (file 2, device 7)\n"_ba);
        QCOMPARE(ran.Err,
                 u"Scene 1: sent, the same once read back\nScene 2: 1 byte differs, the first at byte 2 (file "
                 "2, device 7)\n"_s);

        device_->Fetched.clear(), device_->Stored.clear();
        ran = Cli({u"--quiet"_s, u"verify"_s, dir_->path()});
        QCOMPARE(ran.Status, 1);
        QVERIFY(device_->Stored.isEmpty() && ran.Err.isEmpty());
        QCOMPARE(ran.Out,
                 u"2 of 2 scenes checked against %1: 1 the same, 1 differs:\nScene 2: 1 byte differs, the "
                 "first at byte 2 (file 2, device 7)\n"_s.arg(dir_->path())
                     .toUtf8());
        device_->Replies[2] = {{10, "\x02\x02"_ba}};
        QCOMPARE(Cli({u"verify"_s, dir_->path()}).Status, 0);
    }

    void failuresEndWithTheirOwnStatus()
    {
        const Ran port = Cli({u"--device"_s, dir_->filePath(u"ttyNone"_s), u"receive"_s, u"1"_s, u"-"_s}, {}, false);
        QCOMPARE(port.Status, 3);
        QVERIFY2(port.Err.contains(u"was not found"_s), qPrintable(port.Err));
        const Ran file = Cli({u"send"_s, u"1"_s, dir_->filePath(u"none.bin"_s)});
        QCOMPARE(file.Status, 4);
        QVERIFY2(file.Err.contains(u"none.bin"_s), qPrintable(file.Err));
        QCOMPARE(Cli({u"restore"_s, dir_->path()}).Status, 4);  // no scene files
        QCOMPARE(Cli({u"send"_s, u"1"_s, u"-"_s}).Status, 4);   // an empty scene
        QCOMPARE(Cli({u"verify"_s}).Status, 2);
        QVERIFY(device_->Stored.isEmpty() && device_->Fetched.isEmpty());
    }

    void anInterruptStopsARestoreOnlyBetweenWholeScenes()
    {
        if (pty_->Opens() < 0)
            QSKIP("the system does not tell when the program opens the port");
        const QByteArray large(100000, '\x05');
        Put(dir_->filePath(u"scene-001.bin"_s), large), Put(dir_->filePath(u"scene-002.bin"_s), "\x02");
        device_->Pause(true);
        bool sent = false;
        const Ran ran = Cli({u"restore"_s, dir_->path(), u"--no-verify"_s}, {}, true, [&](QProcess& process) {
            if (!sent && pty_->Opens() > 0) {
                QTest::qWait(200);  // the program is in the event loop, its frame waiting in the line
                ::kill(static_cast<pid_t>(process.processId()), SIGINT);
                sent = true;
                QTimer::singleShot(300, device_.get(), [this] { device_->Pause(false); });
            }
        });
        QCOMPARE(ran.Status, 130);
        QCOMPARE(device_->Stored, SendFrame(1, large));
        QCOMPARE(ran.Out, "1 scene sent to the device (number 1).\n"_ba);
        QVERIFY2(ran.Err.startsWith(u"Interrupted: stopping once scene 1 is over…\n"_s), qPrintable(ran.Err));
    }

private:
    // Runs the program on the pseudo-terminal, with input on its standard
    // input, while the test plays the device; during runs as it waits.
    Ran Cli(const QStringList& args, const QByteArray& input = {}, bool onPty = true,
            const std::function<void(QProcess&)>& during = {})
    {
        QProcess process;
        process.start(QStringLiteral(BRINDLEWICK_CLI),
                      (onPty ? QStringList{u"--device"_s, pty_->AsPort().Location} : QStringList{}) + args);
        if (!process.waitForStarted(5000))
            return {};
        process.write(input);
        process.closeWriteChannel();
        for (QDeadlineTimer deadline(20000); process.state() != QProcess::NotRunning && !deadline.hasExpired();) {
            if (during)
                during(process);
            QTest::qWait(5);
        }
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            qWarning("brindlewick-cli did not end");
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }

    std::unique_ptr<Pty> pty_;
    std::unique_ptr<Device> device_;
    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
