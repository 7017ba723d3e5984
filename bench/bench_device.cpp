// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// What backing up, verifying and restoring the whole device costs beyond what the line
// and the protocol impose, on a real serial port (a pseudo-terminal, which
// has no line time of its own; the bench plays a device that answers every
// fetch at once with 256 bytes).
// Run: build/bench/brindlewick_device_bench [scenes]
#include "app/form1.h"
#include "link/device_backup.h"
#include "link/frames.h"
#include "platform/qt_serial_link.h"
#include "support/fake_dialog_service.h"
#include "support/pty.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int scenes = argc > 1 ? std::atoi(argv[1]) : 10;

    Pty pty;
    QByteArray stored;
    SceneBytes reply(256, '\0');
    for (int i = 0; i < 256; ++i)
        reply[i] = static_cast<char>(i);
    QSocketNotifier device(pty.MasterFd(), QSocketNotifier::Read);
    QObject::connect(&device, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = ::read(pty.MasterFd(), buffer, sizeof buffer);
        if (n == 3 && buffer[0] == '\x2c')
            pty.Write(reply);
        else if (n > 0)
            stored.append(buffer, n);
    });
    FakeDialogService dialogs;
    QtSerialLink serial([&] { return QList<PortDevice>{pty.AsPort()}; });
    Form1 form(dialogs, serial);
    QTemporaryDir folder;

    dialogs.Answers = {QStringLiteral("1-%1").arg(scenes), folder.path()};
    QElapsedTimer clock;
    clock.start();
    BackupDeviceCommand(form);
    const double backupMs = clock.nsecsElapsed() / 1e6;
    std::printf("backup of %d scenes: %.0f ms; beyond the second of silence each: %.2f ms a scene (goal: <= 5)\n",
                scenes, backupMs, backupMs / scenes - 1000.0);
    std::printf("  %s\n", qPrintable(dialogs.Said.value(0).section(u'|', 1).section(u'\n', 0, 0)));

    // The backup's files are what the device holds: every scene is the same.
    dialogs.Answers = {folder.path()};
    clock.restart();
    VerifyDeviceCommand(form);
    const double verifyMs = clock.nsecsElapsed() / 1e6;
    std::printf("verify of %d scenes: %.0f ms; beyond the second of silence each: %.2f ms a scene (goal: <= 5)\n",
                scenes, verifyMs, verifyMs / scenes - 1000.0);
    std::printf("  %s\n", qPrintable(dialogs.Said.value(1).section(u'|', 1).section(u'\n', 0, 0)));

    dialogs.Answers = {folder.path()};
    dialogs.Checks = {false};  // the frames alone
    clock.restart();
    RestoreDeviceCommand(form);
    while (stored.size() < scenes * (256 + 3) && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double restoreMs = clock.nsecsElapsed() / 1e6;
    std::printf("restore of %d 256-byte scenes: %.0f ms, %.2f ms a scene beyond its line time "
                "(a pty has none; 67 ms at 38400 baud) (goal: <= 5)\n",
                scenes, restoreMs, restoreMs / scenes);
    std::printf("  %s\n", qPrintable(dialogs.Said.value(3).section(u'|', 1).section(u'\n', 0, 0)));
    return stored.size() == scenes * (256 + 3) ? 0 : 1;
}
