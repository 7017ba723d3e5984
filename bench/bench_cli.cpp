// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// brindlewick-cli as a script runs it, on a pseudo-terminal whose far end
// answers every fetch at once with 256 bytes: how soon after the program is
// started its first byte is on the line, and what a backup costs beyond the
// protocol's second of silence per scene.
// Run: build/bench/brindlewick_cli_bench [scenes]
#include "support/pty.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int scenes = argc > 1 ? std::atoi(argv[1]) : 10;
    Pty pty;
    QByteArray reply(256, '\0');
    for (int i = 0; i < 256; ++i)
        reply[i] = static_cast<char>(i);
    QElapsedTimer clock;
    qint64 firstByteNs = -1;
    QSocketNotifier device(pty.MasterFd(), QSocketNotifier::Read);
    QObject::connect(&device, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = ::read(pty.MasterFd(), buffer, sizeof buffer);
        if (n > 0 && firstByteNs < 0)
            firstByteNs = clock.nsecsElapsed();
        if (n == 3 && buffer[0] == '\x2c')
            pty.Write(reply);
    });
    const auto run = [&](const QStringList& args) {
        QProcess process;
        firstByteNs = -1;
        clock.start();
        process.start(QStringLiteral(BRINDLEWICK_CLI), QStringList{u"--device"_qs, pty.AsPort().Location} + args);
        while (process.state() != QProcess::NotRunning)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        return process.exitCode();
    };

    QTemporaryDir folder;
    const QString scene = folder.filePath(u"scene.bin"_qs);
    QFile file(scene);
    if (!file.open(QIODevice::WriteOnly) || file.write(reply) != reply.size())
        return 1;
    file.close();
    QList<double> starts;
    for (int i = 0; i < 11; ++i) {
        if (run({u"--frame-gap"_qs, u"0.05"_qs, u"send"_qs, u"1"_qs, scene}) != 0)
            return 1;
        starts << static_cast<double>(firstByteNs) / 1e6;
    }
    std::sort(starts.begin(), starts.end());
    std::printf("from start to the first byte on the line: %.1f ms (median of 11; goal: <= 50)\n", starts[5]);

    clock.start();
    const int status = run(
        {u"--quiet"_qs, u"backup"_qs, folder.filePath(u"all"_qs), u"--scenes"_qs, QStringLiteral("1-%1").arg(scenes)});
    const double backupMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::printf("backup of %d scenes: %.0f ms; beyond the second of silence each: %.2f ms a scene (goal: <= 5)\n",
                scenes, backupMs, backupMs / scenes - 1000.0);
    return status;
}
