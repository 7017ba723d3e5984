// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// brindlewick-cli: its arguments as a table, and the real program run on a
// pseudo-terminal whose far end plays a device that reads at line speed.
#include "cli/cli_options.h"
#include "link/frames.h"
#include "platform/file_kind.h"
#include "support/files.h"
#include "support/scripted_device.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>

using namespace Qt::StringLiterals;

namespace {

// What the program ended with (-1: a signal ended it; -2: it did not end)
// and wrote.
struct Ran {
    int Status = -1;
    QByteArray Out;
    QString Err;
};

// How a run is set up and followed, beyond its arguments.
struct Run {
    QByteArray Input;
    bool OnPty = true;
    std::function<void(QProcess&)> Before;  // before it starts
    std::function<void(QProcess&)> During;  // as it runs, every few milliseconds
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
    return u"%1 port %2 device %3 quiet %4 verbose %5 scene %6 file %7 folder %8 scenes %9 force %10 noverify %11 "
           "gap %12"_s.arg(static_cast<int>(o.What))
               .arg(o.Port)
               .arg(o.Device)
               .arg(o.Quiet)
               .arg(o.Verbose)
               .arg(o.Scene)
               .arg(o.File, o.Folder,
                    scenes.size() > 4 ? u"%1-%2"_s.arg(scenes.first(), scenes.last()) : scenes.join(u','))
               .arg(o.Force)
               .arg(o.NoVerify)
               .arg(o.FrameGap);
}

// The program's descriptor fd is a pipe whose reader has gone.
void ReaderGone(QProcess& process, int fd)
{
    process.setChildProcessModifier([fd] {
        int ends[2];
        if (::pipe(ends) == 0)
            ::dup2(ends[1], fd), ::close(ends[0]), ::close(ends[1]);
    });
}

// What the program has written to the terminal so far.
QByteArray Drain(const Pty& terminal)
{
    QByteArray shown;
    char buffer[4096];
    for (ssize_t n; (n = ::read(terminal.MasterFd(), buffer, sizeof buffer)) > 0;)
        shown.append(buffer, n);
    return shown;
}

// The program stops for a while, as on a loaded or swapping machine.
void Stall(QProcess& process, int ms)
{
    ::kill(static_cast<pid_t>(process.processId()), SIGSTOP);
    QTest::qWait(ms);
    ::kill(static_cast<pid_t>(process.processId()), SIGCONT);
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
        device_->ReadAtLineSpeed();
        dir_ = std::make_unique<QTemporaryDir>();
    }

    void readsItsArguments()
    {
        // clang-format off
        const QList<std::pair<QString, QString>> cases{
            {u"send 5 f.bin"_s, u"2 port 1 device  quiet 0 verbose 0 scene 5 file f.bin folder  scenes  force 0 noverify 0 gap 1"_s},
            {u"--device /dev/ttyUSB0 --quiet receive 255 -"_s, u"3 port 1 device /dev/ttyUSB0 quiet 1 verbose 0 scene 255 file -"_s},
            {u"--port 3 --verbose backup d --scenes 1-3,7 --force"_s, u"4 port 3 device  quiet 0 verbose 1 scene 0 file  folder d scenes 1,2,3,7 force 1"_s},
            {u"backup d"_s, u"4 port 1 device  quiet 0 verbose 0 scene 0 file  folder d scenes 1-255 force 0"_s},
            {u"--frame-gap 0.05 restore d --no-verify"_s, u"5 port 1 device  quiet 0 verbose 0 scene 0 file  folder d scenes  force 0 noverify 1 gap 0.05"_s},
            {u"--frame-gap 10 verify d"_s, u"6 port 1 device  quiet 0 verbose 0 scene 0 file  folder d scenes  force 0 noverify 0 gap 10"_s},
            {u"ports --help"_s, u"help"_s},
            {u""_s, u"No command given."_s}, {u"frob"_s, u"\"frob\" is no command."_s},
            {u"send 5"_s, u"send wants: send N FILE"_s}, {u"verify a b"_s, u"verify wants: verify DIR"_s},
            {u"send 0 f"_s, u"The Scene number should be between 1 and 255, not \"0\"."_s},
            {u"receive 12abc -"_s, u"The Scene number should be between 1 and 255, not \"12abc\"."_s},
            {u"--port 256 ports"_s, u"--port wants a serial port number from 1 to 255, not \"256\"."_s},
            {u"--frame-gap 0.04 ports"_s, u"--frame-gap wants seconds from 0.05 to 10, not \"0.04\"."_s},
            {u"--frame-gap 10.5 ports"_s, u"--frame-gap wants seconds"_s}, {u"--frame-gap nan ports"_s, u"--frame-gap wants"_s},
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

    void twoSendsInARowArriveAsTwoFrames()
    {
        // The first run keeps the port, and so its lock, until the line has
        // been quiet for the second after its frame: another run started the
        // moment the frame is over finds the port in use, one started after
        // the first has ended gets it. The device, which tells where a frame
        // ends only by the quiet after it, gets two frames, not one long one.
        Put(Path(u"a.bin"_s), AllValues()), Put(Path(u"b.bin"_s), "\x02\x02");
        Ran meanwhile;
        Run first;
        first.During = [&](QProcess&) {
            if (meanwhile.Status == -1 && device_->Received() == SendFrame(1, AllValues()).size())
                meanwhile = Cli({u"send"_s, u"2"_s, Path(u"b.bin"_s)});
        };
        QElapsedTimer took;
        took.start();
        QCOMPARE(Cli({u"send"_s, u"1"_s, Path(u"a.bin"_s)}, first).Status, 0);
        QVERIFY2(took.elapsed() >= 1060, qPrintable(QString::number(took.elapsed())));  // 67 ms of line, then 1 s
        QCOMPARE(meanwhile.Status, 3);
        QVERIFY2(meanwhile.Err.contains(u"is in use by another program"_s), qPrintable(meanwhile.Err));
        QCOMPARE(Cli({u"--quiet"_s, u"send"_s, u"2"_s, Path(u"b.bin"_s)}).Status, 0);
        QTRY_COMPARE(device_->Frames, (QList<QByteArray>{SendFrame(1, AllValues()), SendFrame(2, "\x02\x02")}));
    }

    void backsUpWithASilentNumberAndReplacesOnlyWithForce()
    {
        device_->Replies = {{1, {{10, "\x01\x00\x0a"_ba}}}, {3, {{10, AllValues()}}}};
        // Into a folder that is not there yet, as a nightly backup makes one a day.
        const QString folder = Path(u"scenes/2026-12-08"_s);
        Ran ran = Cli({u"backup"_s, folder, u"--scenes"_s, u"1-3"_s});
        QCOMPARE(ran.Status, 0);
        QCOMPARE(ran.Out, u"2 scenes saved in %1 (numbers 1, 3).\nNo reply from number 2.\n"_s.arg(folder).toUtf8());
        QCOMPARE(Contents(folder + u"/scene-001.bin"_s), "\x01\x00\x0a"_ba);
        QCOMPARE(Contents(folder + u"/scene-003.bin"_s), AllValues());
        QVERIFY(!QFile::exists(folder + u"/scene-002.bin"_s) && ran.Err.isEmpty());

        // Files already there are named, and nothing goes on the line.
        device_->Fetched.clear();
        ran = Cli({u"backup"_s, folder, u"--scenes"_s, u"1-3"_s});
        QCOMPARE(ran.Status, 4);
        QVERIFY2(
            ran.Err.contains(u"would be replaced: scene-001.bin, scene-003.bin. Nothing was fetched; add --force"_s),
            qPrintable(ran.Err));
        QVERIFY(device_->Fetched.isEmpty() && ran.Out.isEmpty());
        QCOMPARE(Cli({u"backup"_s, folder, u"--scenes"_s, u"3"_s, u"--force"_s}).Status, 0);

        // No number answering is no backup: said even with --quiet, so that
        // cron mails it.
        ran = Cli({u"--quiet"_s, u"backup"_s, Path(u"none"_s), u"--scenes"_s, u"5-6"_s});
        QCOMPARE(ran.Status, 1);
        QVERIFY2(ran.Err.startsWith(u"No number answered, so nothing was saved. Check that the device is on and "
                                    "connected to Serial device /dev/"_s),
                 qPrintable(ran.Err));
    }

    void sendsAndReceivesThroughStandardInputAndOutput()
    {
        // Every byte value, line ends and NUL included, passes untouched both
        // ways; standard input is read to its end, though it is non-blocking
        // and its writer pauses.
        Run paused;
        paused.Input = AllValues().first(100);
        paused.Before = [](QProcess& process) {
            process.setChildProcessModifier([] { ::fcntl(0, F_SETFL, ::fcntl(0, F_GETFL) | O_NONBLOCK); });
        };
        paused.During = [sent = false](QProcess& process) mutable {
            if (!std::exchange(sent, true)) {
                QTest::qWait(300);
                process.write(AllValues().sliced(100));
                process.closeWriteChannel();
            }
        };
        QCOMPARE(Cli({u"send"_s, u"7"_s, u"-"_s}, paused).Status, 0);
        QTRY_COMPARE(device_->Frames, QList<QByteArray>{SendFrame(7, AllValues())});

        device_->Replies = {{7, {{10, AllValues()}}}};
        Ran ran = Cli({u"receive"_s, u"7"_s, u"-"_s});
        QCOMPARE(ran.Status, 0);
        QCOMPARE(ran.Out, AllValues());
        ran = Cli({u"receive"_s, u"9"_s, Path(u"nine.bin"_s)});
        QCOMPARE(ran.Status, 1);
        QCOMPARE(ran.Err, u"Connection Failed\n"_s);
        QVERIFY(!QFile::exists(Path(u"nine.bin"_s)));

        // A reply is judged on what has arrived: after a stall of the program
        // longer than the second of silence, bytes that came in time
        // continue it.
        device_->Replies = {{7, {{10, AllValues().first(100)}, {300, AllValues().sliced(100)}}}};
        device_->OnFetch = [&](int) { fetched_.start(); };
        Run stalled;
        stalled.During = [this, done = false](QProcess& process) mutable {
            if (!done && fetched_.isValid() && fetched_.elapsed() > 150)
                done = true, Stall(process, 1500);
        };
        ran = Cli({u"receive"_s, u"7"_s, Path(u"seven.bin"_s)}, stalled);
        QCOMPARE(ran.Status, 0);
        QCOMPARE(Contents(Path(u"seven.bin"_s)), AllValues());
    }

    void restoresReadingBackAndVerifyFindsADifference()
    {
        Put(Path(u"scene-001.bin"_s), "\x01\x02"), Put(Path(u"scene-002.bin"_s), "\x02\x02");
        device_->Replies = {{1, {{10, "\x01\x02"_ba}}}, {2, {{10, "\x02\x07"_ba}}}};
        Ran ran = Cli({u"--frame-gap"_s, u"0.4"_s, u"--verbose"_s, u"restore"_s, dir_->path()});
        QCOMPARE(ran.Status, 1);
        QCOMPARE(device_->Fetched, (QList<int>{1, 2, 2}));
        QCOMPARE(device_->Frames,
                 (QList<QByteArray>{SendFrame(1, "\x01\x02"), SendFrame(2, "\x02\x02"), SendFrame(2, "\x02\x02")}));
        QCOMPARE(ran.Out,
                 "2 scenes sent to the device (numbers 1-2).\n2 scenes read back: 1 still differs:\nScene 2: 1 "
                 "byte differs, the first at byte 2 (file 2, device 7)\n"_ba);
        QCOMPARE(ran.Err,
                 u"Scene 1: sent, the same once read back\nScene 2: 1 byte differs, the first at byte 2 (file "
                 "2, device 7)\n"_s);

        // A verify writes nothing, in the folder or where it runs.
        device_->Fetched.clear(), device_->Frames.clear();
        const QStringList files = QDir(dir_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QTemporaryDir here;
        Run inHere;
        inHere.Before = [&here](QProcess& process) { process.setWorkingDirectory(here.path()); };
        ran = Cli({u"--quiet"_s, u"verify"_s, dir_->path()}, inHere);
        QCOMPARE(ran.Status, 1);
        QVERIFY(device_->Frames.isEmpty() && ran.Err.isEmpty() &&
                QDir(here.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), files);
        QCOMPARE(ran.Out,
                 u"2 of 2 scenes checked against %1: 1 the same, 1 differs:\nScene 2: 1 byte differs, the "
                 "first at byte 2 (file 2, device 7)\n"_s.arg(dir_->path())
                     .toUtf8());
        device_->Replies[2] = {{10, "\x02\x02"_ba}};
        QCOMPARE(Cli({u"verify"_s, dir_->path()}).Status, 0);

        // Files that cannot be sent are named on standard error, the rest go,
        // and the status says that not everything did.
        device_->Frames.clear();
        Put(Path(u"scene-003.bin"_s), QByteArray(MaxSceneBytes + 1, '\x03'));
        QVERIFY(::mkfifo(QFile::encodeName(Path(u"scene-004.bin"_s)).constData(), 0600) == 0);
        ran = Cli({u"--frame-gap"_s, u"0.4"_s, u"restore"_s, dir_->path(), u"--no-verify"_s});
        QCOMPARE(ran.Status, 4);
        QTRY_COMPARE(device_->Frames, (QList<QByteArray>{SendFrame(1, "\x01\x02"), SendFrame(2, "\x02\x02")}));
        QCOMPARE(ran.Err, u"Skipped: scene-003.bin (larger than a scene can be), scene-004.bin (a named pipe).\n"_s);
        QCOMPARE(Cli({u"verify"_s, dir_->path()}).Status, 4);
    }

    void failuresEndWithTheirOwnStatusAndTouchNothing()
    {
        const QString none = Path(u"ttyNone"_s);
        Run offPty;
        offPty.OnPty = false;
        const Ran port = Cli({u"--device"_s, none, u"receive"_s, u"1"_s, u"-"_s}, offPty);
        QCOMPARE(port.Status, 3);
        QCOMPARE(port.Err,
                 u"Serial device %1 cannot be opened: it was not found. Check that the adapter is plugged in.\n"_s.arg(
                     none));
        const Ran file = Cli({u"send"_s, u"1"_s, Path(u"none.bin"_s)});
        QCOMPARE(file.Status, 4);
        QVERIFY2(file.Err.contains(u"none.bin"_s), qPrintable(file.Err));
        QCOMPARE(Cli({u"restore"_s, dir_->path()}).Status, 4);  // no scene files
        QCOMPARE(Cli({u"send"_s, u"1"_s, u"-"_s}).Status, 4);   // an empty scene
        Run tooMuch;
        tooMuch.Input = QByteArray(MaxSceneBytes + 1, '\x01');
        const Ran large = Cli({u"send"_s, u"1"_s, u"-"_s}, tooMuch);
        QCOMPARE(large.Status, 4);
        QCOMPARE(large.Err,
                 u"Standard input holds more than a scene can (1048576 bytes at most), so nothing was sent.\n"_s);
        QCOMPARE(Cli({u"verify"_s}).Status, 2);
        QVERIFY(device_->Frames.isEmpty() && device_->Fetched.isEmpty());

        // Only a regular file is replaced: nothing is fetched into a named
        // pipe (the file routines refuse the other kinds as well).
        device_->Replies = {{5, {{10, "\x05"_ba}}}};
        QVERIFY(::mkfifo(QFile::encodeName(Path(u"fifo"_s)).constData(), 0600) == 0);
        const Ran fifo = Cli({u"receive"_s, u"5"_s, Path(u"fifo"_s)});
        QCOMPARE(fifo.Status, 4);
        QVERIFY2(fifo.Err.contains(u"that is a named pipe, not a scene file"_s), qPrintable(fifo.Err));
        QVERIFY(device_->Fetched.isEmpty() && KindOf(Path(u"fifo"_s)) == FileKind::Pipe);
    }

    void showsProgressOnlyOnATerminalAndOnlyWhenNotQuiet()
    {
        // Standard error on a terminal; standard output, a pipe, gets the
        // summary alone whatever the options.
        for (const QString& option : {u"--frame-gap=0.3"_s, u"--quiet"_s, u"--verbose"_s}) {
            init();
            Put(Path(u"scene-001.bin"_s), QByteArray(2000, '\x01')), Put(Path(u"scene-002.bin"_s), "\x02");
            Pty terminal;
            QByteArray shown;
            Run run;
            run.Before = [path = QFile::encodeName(terminal.AsPort().Location)](QProcess& process) {
                process.setChildProcessModifier([path] { ::dup2(::open(path.constData(), O_RDWR | O_NOCTTY), 2); });
            };
            run.During = [&](QProcess&) { shown += Drain(terminal); };
            const Ran ran = Cli({option, u"restore"_s, dir_->path(), u"--no-verify"_s}, run);
            shown += Drain(terminal);
            QCOMPARE(ran.Status, 0);
            QCOMPARE(ran.Out, "2 scenes sent to the device (numbers 1-2).\n"_ba);
            // Each message on a line of its own; the progress line cleared
            // at the end; none at all when quiet.
            if (option == u"--quiet")
                QCOMPARE(shown, QByteArray());
            else
                QVERIFY2(shown.contains("\rSending scene 2 (2 of 2)   About ") && shown.endsWith(" \r") &&
                             !shown.contains('\x1b') && shown.count('\n') == (option == u"--verbose" ? 2 : 0) &&
                             shown.count(" \rScene ") == shown.count('\n'),
                         shown.constData());
        }
    }

    void aStoppedJobSaysWhyOnceAndCountsWhatItDid()
    {
        // The line hangs up at the second scene of a verify: what was checked
        // is counted on standard output, why it stopped is said once on
        // standard error, and the status is the port's.
        for (const char n : {'1', '2', '3'})
            Put(Path(u"scene-00%1.bin"_s.arg(QLatin1Char(n))), QByteArray(1, n));
        device_->Replies = {{1, {{10, "1"_ba}}}, {2, {{10, "2"_ba}}}};
        device_->HangUpAtFetch = 2;
        Ran ran = Cli({u"verify"_s, dir_->path()});
        QCOMPARE(ran.Status, 3);
        QCOMPARE(ran.Out, u"1 of 3 scenes checked against %1: all the same.\n"_s.arg(dir_->path()).toUtf8());
        QCOMPARE(
            ran.Err,
            u"The verify stopped at scene 2: Serial device %1 was lost during the exchange, so no scene "
            "was received. Check that the adapter is plugged in, then try again.\n"_s.arg(pty_->AsPort().Location));

        // A reply past the cap is the device's doing: status 1.
        init();
        device_->ReadAtLineSpeed(false);
        device_->Replies = {{1, {{10, "\x01"_ba}}}, {4, {{10, QByteArray(MaxSceneBytes + 1, '\x04')}}}};
        ran = Cli({u"backup"_s, Path(u"big"_s), u"--scenes"_s, u"1,4"_s});
        QCOMPARE(ran.Status, 1);
        QCOMPARE(ran.Out, u"1 scene saved in %1 (number 1).\n"_s.arg(Path(u"big"_s)).toUtf8());
        QVERIFY2(ran.Err.startsWith(u"The backup stopped at scene 4: The device sent more than a scene can hold"_s) &&
                     ran.Err.count(u'\n') == 1,
                 qPrintable(ran.Err));

        // A scene that cannot be written: status 4.
        init();
        device_->Replies = {{1, {{10, "\x01"_ba}}}};
        QVERIFY(QDir().mkpath(Path(u"full/scene-001.bin"_s)));
        ran = Cli({u"backup"_s, Path(u"full"_s), u"--scenes"_s, u"1"_s, u"--force"_s});
        QCOMPARE(ran.Status, 4);
        QCOMPARE(ran.Out, u"0 scenes saved in %1.\n"_s.arg(Path(u"full"_s)).toUtf8());
        QVERIFY2(ran.Err.startsWith(u"The backup stopped at scene 1: The scene could not be saved to"_s) &&
                     ran.Err.count(u'\n') == 1,
                 qPrintable(ran.Err));
    }

    void stopsOnlyBetweenWholeFrames()
    {
        // Ctrl+C with the reader of its messages gone (2>&1 | tee, and Ctrl+C
        // ends tee too), or a closed terminal (SIGHUP), while a frame of a
        // second is on the line: it leaves whole, the next does not go.
        const QByteArray large(4000, '\x05');
        for (const int signal : {SIGINT, SIGHUP}) {
            init();
            Put(Path(u"scene-001.bin"_s), large), Put(Path(u"scene-002.bin"_s), "\x02");
            Run run;
            if (signal == SIGINT)
                run.Before = [](QProcess& process) { ReaderGone(process, 2); };
            run.During = [this, signal, sent = false](QProcess& process) mutable {
                if (!sent && device_->Received() > 100)
                    sent = true, ::kill(static_cast<pid_t>(process.processId()), signal);
            };
            const Ran ran = Cli({u"--frame-gap"_s, u"0.3"_s, u"restore"_s, dir_->path(), u"--no-verify"_s}, run);
            QCOMPARE(ran.Status, 130);
            QCOMPARE(ran.Out, "1 scene sent to the device (number 1).\n"_ba);
            if (signal == SIGHUP)
                QVERIFY2(ran.Err.startsWith(u"Interrupted: stopping once scene 1 is over…\n"_s), qPrintable(ran.Err));
            QTRY_COMPARE(device_->Frames, QList<QByteArray>{SendFrame(1, large)});
        }
        // In the quiet after a scene, the next not yet started: it stops
        // now, and names no scene that will not be sent.
        init();
        Put(Path(u"scene-001.bin"_s), "\x01"), Put(Path(u"scene-002.bin"_s), "\x02");
        Run quiet;
        quiet.During = [this, sent = false](QProcess& process) mutable {
            if (!sent && device_->Received() == 4)
                sent = true, ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        };
        const Ran between = Cli({u"restore"_s, dir_->path(), u"--no-verify"_s}, quiet);
        QCOMPARE(between.Status, 130);
        QCOMPARE(
            between.Err,
            u"Interrupted: stopping now, between two scenes.\nThe restore was interrupted between two scenes.\n"_s);
        QTRY_COMPARE(device_->Frames, QList<QByteArray>{SendFrame(1, "\x01")});

        // A plain send: the scene leaves whole, and that is said.
        init();
        Put(Path(u"large.bin"_s), large);
        Run sending;
        sending.During = [this, sent = false](QProcess& process) mutable {
            if (!sent && device_->Received() > 100)
                sent = true, ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        };
        Ran sent = Cli({u"send"_s, u"3"_s, Path(u"large.bin"_s)}, sending);
        QCOMPARE(sent.Status, 130);
        QCOMPARE(sent.Err, u"Interrupted: stopping once the scene has left…\n"_s);
        QTRY_COMPARE(device_->Frames, QList<QByteArray>{SendFrame(3, large)});

        // Waiting for standard input, which has sent nothing yet, Ctrl+C ends
        // it at once, as any program: nothing is on the line to protect.
        Run waiting;
        QElapsedTimer since;
        waiting.During = [&since](QProcess& process) {
            if (!since.isValid())
                since.start();
            else if (since.elapsed() > 300)
                ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        };
        QCOMPARE(Cli({u"send"_s, u"4"_s, u"-"_s}, waiting).Status, -1);  // ended by the signal

        // Started with hang-ups ignored (nohup), it keeps ignoring them.
        init();
        Put(Path(u"scene-001.bin"_s), large), Put(Path(u"scene-002.bin"_s), "\x02");
        Run nohup;
        nohup.Before = [](QProcess& process) { process.setChildProcessModifier([] { std::signal(SIGHUP, SIG_IGN); }); };
        nohup.During = [this, sent = false](QProcess& process) mutable {
            if (!sent && device_->Received() > 100)
                sent = true, ::kill(static_cast<pid_t>(process.processId()), SIGHUP);
        };
        QCOMPARE(Cli({u"--frame-gap"_s, u"0.3"_s, u"restore"_s, dir_->path(), u"--no-verify"_s}, nohup).Status, 0);
        QTRY_COMPARE(device_->Frames, (QList<QByteArray>{SendFrame(1, large), SendFrame(2, "\x02")}));

        // Standard output's reader gone before the reply is written
        // (receive 1 - | head -c0): said, status 4.
        device_->Replies = {{1, {{10, "\x01"_ba}}}};
        Run closed;
        closed.Before = [](QProcess& process) { ReaderGone(process, 1); };
        const Ran ran = Cli({u"receive"_s, u"1"_s, u"-"_s}, closed);
        QCOMPARE(ran.Status, 4);
        QCOMPARE(ran.Err, u"Standard output could not be written.\n"_s);
    }

private:
    QString Path(const QString& name) const { return dir_->filePath(name); }

    // Runs the program on the pseudo-terminal while the test plays the
    // device.
    Ran Cli(const QStringList& args, const Run& run = {})
    {
        QProcess process;
        if (run.Before)
            run.Before(process);
        process.start(QStringLiteral(BRINDLEWICK_CLI),
                      (run.OnPty ? QStringList{u"--device"_s, pty_->AsPort().Location} : QStringList{}) + args);
        if (!process.waitForStarted(5000))
            return {};
        process.write(run.Input);
        if (!run.During)
            process.closeWriteChannel();
        for (QDeadlineTimer deadline(20000); process.state() != QProcess::NotRunning && !deadline.hasExpired();) {
            if (run.During)
                run.During(process);
            QTest::qWait(5);
        }
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            return {-2, {}, u"brindlewick-cli did not end"_s};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }

    std::unique_ptr<Pty> pty_;
    std::unique_ptr<Device> device_;
    std::unique_ptr<QTemporaryDir> dir_;
    QElapsedTimer fetched_;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
