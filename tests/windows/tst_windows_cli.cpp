// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The Windows command-line program, as shipped, under Wine: the scripted
// device plays on a pseudo-terminal that Wine's registry names COM1.
// Receiving cannot be shown this way: Wine posts no completion for what a
// pseudo-terminal brings in, so only what the program sends is checked.
//   BRINDLEWICK_WINDOWS_CLI   the brindlewick-cli.exe to run
//   BRINDLEWICK_WINE_RUN      tests/windows/wine.sh
//   BRINDLEWICK_COM1          the link Wine's registry names COM1, and
//   WINESERVER                Wine's server (tests/windows/private_wine.sh)
#include "link/frames.h"
#include "support/files.h"
#include "support/scripted_device.h"

#include <QProcess>

#include <csignal>
#include <functional>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Ran {
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

QString WindowsPath(const QString& path)
{
    return QDir::toNativeSeparators(u"Z:"_s + path);
}

}  // namespace

class TestWindowsCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        cli_ = qEnvironmentVariable("BRINDLEWICK_WINDOWS_CLI");
        wineRun_ = qEnvironmentVariable("BRINDLEWICK_WINE_RUN");
        com1_ = qEnvironmentVariable("BRINDLEWICK_COM1");
        if (cli_.isEmpty() || wineRun_.isEmpty() || com1_.isEmpty() || qEnvironmentVariable("WINESERVER").isEmpty())
            QSKIP("BRINDLEWICK_WINDOWS_CLI, BRINDLEWICK_WINE_RUN and BRINDLEWICK_COM1 are needed (./test --windows)");
    }

    void sendsWholeFramesAt38400On8N1EvenWhenInterrupted()
    {
        Pty pty;
        Device device(pty);
        device.ReadAtLineSpeed();
        QFile::remove(com1_);
        QVERIFY(QFile::link(pty.AsPort().Location, com1_));
        QTemporaryDir dir;
        QByteArray scene(3000, '\0'), large(20000, '\x09');
        for (qsizetype i = 0; i < scene.size(); ++i)
            scene[i] = static_cast<char>(i * 7);
        Put(dir.filePath(u"scene.bin"_s), scene);
        Put(dir.filePath(u"large.bin"_s), large);
        const auto send = [&](const QString& file) {
            return QStringList{cli_, u"--port"_s, u"1"_s, u"send"_s, u"7"_s, WindowsPath(dir.filePath(file))};
        };

        const Ran ran = Wine(send(u"scene.bin"_s));
        QCOMPARE(ran.Status, 0);
        QCOMPARE(ran.Out + ran.Err, QByteArray());  // a send that went well says nothing
        QTRY_COMPARE_WITH_TIMEOUT(device.Frames, QList<QByteArray>{SendFrame(7, scene)}, 5000);
        QCOMPARE(pty.LineSettings(), u"38400,n,8,1"_s);

        // Wine turns SIGINT into the console's Ctrl+C, as Windows sends it.
        bool signalled = false;
        const Ran interrupted = Wine(send(u"large.bin"_s), [&](QProcess& process) {
            if (!signalled && device.Received() > scene.size() + 2000)
                signalled = ::kill(static_cast<pid_t>(process.processId()), SIGINT) == 0;
        });
        QCOMPARE(interrupted.Status, 130);
        QCOMPARE(interrupted.Err, "Interrupted: stopping once the scene has left…\r\n"_ba);
        QTRY_COMPARE_WITH_TIMEOUT(device.Frames, (QList<QByteArray>{SendFrame(7, scene), SendFrame(7, large)}), 5000);

        // A file's name comes out as UTF-8, and the system's reason inside the sentence.
        const QString missing = dir.filePath(u"scène ①.bin"_s);
        const Ran failed = Wine(send(u"scène ①.bin"_s));
        QCOMPARE(failed.Status, 4);
        QVERIFY2(failed.Err.contains(QFileInfo(missing).fileName().toUtf8()) &&
                     failed.Err.endsWith(". Nothing was loaded.\r\n") && !failed.Err.contains("..") &&
                     failed.Out.isEmpty(),
                 failed.Err.constData());
        EndWine();
    }

private:
    // Runs a Windows program and waits for it, keeping the event loop going
    // for the device; during runs every few milliseconds meanwhile.
    Ran Wine(const QStringList& arguments, const std::function<void(QProcess&)>& during = {})
    {
        QProcess process;
        process.start(wineRun_, QStringList{QFileInfo(cli_).absolutePath()} + arguments);
        if (!process.waitForStarted())
            return {};
        QDeadlineTimer deadline(120000);
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            QTest::qWait(5);
            if (during && process.state() == QProcess::Running)
                during(process);
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    // Waits for Wine to end, while the line is still there: its hang-up
    // would reach Wine.
    static void EndWine() { QProcess::execute(qEnvironmentVariable("WINESERVER"), {u"-w"_s}); }

    QString cli_;
    QString wineRun_;
    QString com1_;
};

QTEST_GUILESS_MAIN(TestWindowsCli)
#include "tst_windows_cli.moc"
