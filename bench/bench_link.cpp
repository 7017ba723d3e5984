// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// How soon the end of a reply is found, on a real serial port (a
// pseudo-terminal, the bench playing the device): for each exchange, the time
// from the last reply byte to the grid being filled, less the one second of
// silence that ends a reply; and how often Timer1 ticks while idle.
// Run: build/bench/brindlewick_link_bench [exchanges] [idle seconds]
#include "app/form1.h"
#include "app/grid_text_box.h"
#include "platform/qt_serial_link.h"
#include "support/fake_dialog_service.h"
#include "support/pty.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// What the program wrote, until count bytes have come or the time is up.
QByteArray Read(Pty& pty, qsizetype count, int timeoutMs = 5000)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    char buffer[4096];
    while (got.size() < count && !deadline.hasExpired() && pty.IsOpen()) {
        const ssize_t n = ::read(pty.MasterFd(), buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return got;
}

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int exchanges = argc > 1 ? std::atoi(argv[1]) : 20;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 5;

    Pty pty;
    FakeDialogService dialogs;
    QtSerialLink serial([&] { return QList<PortDevice>{pty.AsPort()}; });
    Form1 form(dialogs, serial);

    QElapsedTimer clock;
    clock.start();
    qint64 lastByteNs = 0;
    qint64 filledNs = 0;
    QObject::connect(form.Text1->document(), &QTextDocument::contentsChanged, [&] { filledNs = clock.nsecsElapsed(); });

    SceneBytes reply(256, '\0');
    for (int i = 0; i < 256; ++i)
        reply[i] = static_cast<char>(i);

    QList<double> latenciesMs;
    for (int i = 0; i < exchanges; ++i) {
        filledNs = 0;
        dialogs.Answers = {QStringLiteral("5")};
        form.Command3->click();
        // The device answers the fetch frame 20 ms later.
        if (Read(pty, 3) != QByteArray::fromHex("2c05cc")) {
            std::fprintf(stderr, "exchange %d: no fetch frame\n", i + 1);
            return 1;
        }
        QTest::qWait(20);
        pty.Write(reply);
        lastByteNs = clock.nsecsElapsed();
        while (filledNs == 0 && clock.elapsed() < (i + 1) * 5000LL)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (filledNs == 0 || !dialogs.Said.isEmpty()) {
            std::fprintf(stderr, "exchange %d did not fill the grid\n", i + 1);
            return 1;
        }
        latenciesMs << (filledNs - lastByteNs) / 1e6 - 1000.0;
    }
    std::sort(latenciesMs.begin(), latenciesMs.end());
    std::printf("end of reply found, over %d exchanges (ms after the second of silence):\n", exchanges);
    std::printf("  best %.2f  median %.2f  worst %.2f   (goal: median < 3, worst < 12)\n", latenciesMs.first(),
                latenciesMs[latenciesMs.size() / 2], latenciesMs.last());

    int ticks = 0;
    QObject::connect(form.Timer1, &QTimer::timeout, [&] { ++ticks; });
    QTest::qWait(idleSeconds * 1000);
    std::printf("Timer1 ticks in %d s with no exchange: %d   (goal: 0)\n", idleSeconds, ticks);
    return 0;
}
