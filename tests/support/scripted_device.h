// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "support/pty.h"

#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

// The scene-storing device on the master side of a pty, in the test's own
// event loop: records everything that arrives and answers each fetch frame
// (2C n CC) with the scripted reply bursts.
class ScriptedDevice final : public QObject {
    Q_OBJECT
public:
    struct Burst {
        int DelayMs = 0;  // after the previous burst (the first: after the fetch)
        QByteArray Bytes;
    };

    explicit ScriptedDevice(Pty& pty);

    QByteArray Received;  // every byte the program wrote, in order
    QList<int> Fetches;   // scene numbers asked for
    QList<Burst> Reply;   // what answers a fetch; empty: silence
    // Goes silent for good (the master is closed) after this many reply
    // bytes; negative: never.
    qsizetype HangUpAfter = -1;
    // Hangs up once this many bytes have arrived; negative: never.
    qsizetype HangUpAfterReceiving = -1;
    // Answers a fetch by sending this without pause, for as long as the
    // line takes it, instead of the reply bursts.
    QByteArray StreamChunk;
    qsizetype Streamed = 0;

    // Runs the event loop until count bytes have arrived or time is up.
    bool WaitForBytes(qsizetype count, int timeoutMs = 5000);

Q_SIGNALS:
    void ReplySent();

private:
    void OnReadable();
    void SendBurst(int index);
    void HangUp();

    Pty& pty_;
    QSocketNotifier notifier_;
    qsizetype scanned_ = 0;
    qsizetype sent_ = 0;
    QTimer* stream_ = nullptr;
};
