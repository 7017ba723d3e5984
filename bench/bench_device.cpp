// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// What backing up, verifying and restoring the whole device costs beyond
// what the line and the protocol impose: on a pseudo-terminal whose far end
// plays a device that reads and answers at 38400 8N1 (3,840 bytes a
// second) and answers every fetch with 256 bytes at once. The protocol
// imposes each frame's and reply's line time, the second of silence that
// ends each reply, and the gap of quiet after each store frame.
// Run: build/bench/brindlewick_device_bench [scenes]
#include "app/form1.h"
#include "link/device_backup.h"
#include "link/exchange.h"
#include "link/frames.h"
#include "platform/qt_serial_link.h"
#include "support/fake_dialog_service.h"
#include "support/scripted_device.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr double BytesPerSecond = 3840;

// Runs a device command and says how long it took beyond what it must.
double Timed(const std::function<void()>& command, double imposed, const char* what, int scenes)
{
    QElapsedTimer clock;
    clock.start();
    command();
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("%s of %d scenes: %.2f s; imposed %.2f s; beyond that %.2f ms a scene (goal: <= 5)\n", what, scenes,
                seconds, imposed, (seconds - imposed) * 1000 / scenes);
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int scenes = argc > 1 ? std::atoi(argv[1]) : 10;

    Pty pty;
    Device device(pty);
    device.ReadAtLineSpeed();
    SceneBytes reply(256, '\0');
    for (int i = 0; i < 256; ++i)
        reply[i] = static_cast<char>(i);
    for (int n = 1; n <= scenes; ++n)
        device.Replies[n] = {{0, reply}};
    FakeDialogService dialogs;
    QtSerialLink serial([&] { return QList<PortDevice>{pty.AsPort()}; });
    Form1 form(dialogs, serial);
    QTemporaryDir folder;
    const double gap = form.Session->Pacer().Gap();
    const double frame = (3 + 256) / BytesPerSecond, fetch = 3 / BytesPerSecond, answer = 256 / BytesPerSecond;
    const double exchange = fetch + answer + ReplyRule::SilenceSeconds;

    dialogs.Answers = {QStringLiteral("1-%1").arg(scenes), folder.path()};
    Timed([&] { BackupDeviceCommand(form); }, scenes * exchange, "backup", scenes);
    std::printf("  %s\n", qPrintable(dialogs.Said.value(0).section(u'|', 1).section(u'\n', 0, 0)));

    // The backup's files are what the device holds: every scene is the same.
    dialogs.Answers = {folder.path()};
    Timed([&] { VerifyDeviceCommand(form); }, scenes * exchange, "verify", scenes);
    std::printf("  %s\n", qPrintable(dialogs.Said.value(1).section(u'|', 1).section(u'\n', 0, 0)));

    // The frames alone: each frame's line time and a gap after each but the
    // last, which the window's next command waits for instead.
    dialogs.Answers = {folder.path()};
    dialogs.Checks = {false};
    Timed([&] { RestoreDeviceCommand(form); }, scenes * frame + (scenes - 1) * gap, "restore", scenes);
    std::printf("  %s\n", qPrintable(dialogs.Said.value(3).section(u'|', 1).section(u'\n', 0, 0)));

    // Read back: after each frame the gap, then the fetch and its reply.
    QTest::qWait(static_cast<int>(gap * 1000) + 10);
    dialogs.Answers = {folder.path()};
    dialogs.Checks = {true};
    Timed([&] { RestoreDeviceCommand(form); }, scenes * (frame + gap + exchange), "restore read back", scenes);
    std::printf("  %s\n", qPrintable(dialogs.Said.value(5).section(u'|', 1).section(u'\n', 0, 0)));

    QTest::qWait(500);
    const qsizetype whole = std::count(device.Frames.begin(), device.Frames.end(), SendFrame(1, reply));
    std::printf("frames the device took: %lld, as %d whole frames of scene 1 and no other: %s\n",
                static_cast<long long>(device.Frames.size()), 2, whole == 2 ? "yes" : "NO");
    return device.Frames.size() == 2 * scenes && whole == 2 ? 0 : 1;
}
