// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "support/pty.h"

#include <QMap>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <unistd.h>

// The device at the master end of a pseudo-terminal: answers each fetch
// frame 2C n CC with the bursts scripted for n (none: silence) and keeps
// every other byte it is sent.
class Device final : public QObject {
public:
    explicit Device(Pty& pty) : pty_(pty), notifier_(pty.MasterFd(), QSocketNotifier::Read)
    {
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
    }
    QMap<int, QList<std::pair<int, QByteArray>>> Replies;  // n -> (pause in ms, bytes)…
    QByteArray Stored;
    QList<int> Fetched;                // the numbers asked for, in order
    std::function<void(int)> OnFetch;  // runs as a number is asked for, before the reply
    int HangUpAtFetch = 0;             // hangs up when asked for this number
    qsizetype HangUpAfter = -1;        // hangs up once it holds this many bytes
    // Stops reading, as a device busy storing would: what the program
    // writes waits in the line.
    void Pause(bool paused) { notifier_.setEnabled(!paused && pty_.IsOpen()); }

private:
    void Read()
    {
        char buffer[4096];
        const ssize_t n = pty_.IsOpen() ? ::read(pty_.MasterFd(), buffer, sizeof buffer) : -1;
        if (n <= 0)
            return void(notifier_.setEnabled(pty_.IsOpen()));
        QByteArray got(buffer, n);
        // A fetch ends what arrived; the store frame before it may come in the same read.
        const bool fetch = n >= 3 && got[qsizetype(n) - 3] == '\x2c' && got.endsWith('\xcc');
        const int number = n >= 2 ? static_cast<unsigned char>(got[qsizetype(n) - 2]) : 0;
        if (fetch)
            got.chop(3);
        if (!got.isEmpty() && (Stored += got).size() >= HangUpAfter && HangUpAfter >= 0)
            return notifier_.setEnabled(false), pty_.HangUp();
        if (!fetch)
            return;
        Fetched << number;
        if (number == HangUpAtFetch)
            return notifier_.setEnabled(false), pty_.HangUp();
        if (OnFetch)
            OnFetch(number);
        int at = 0;
        for (const auto& [pauseMs, bytes] : Replies.value(number))
            QTimer::singleShot(at += pauseMs, this, [this, bytes = bytes] { pty_.Write(bytes); });
    }
    Pty& pty_;
    QSocketNotifier notifier_;
};
