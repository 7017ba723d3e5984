// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "support/pty.h"

#include <QElapsedTimer>
#include <QMap>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>

// The device at the master end of a pseudo-terminal, as a real one behaves.
// A frame that starts with 2C n CC is a fetch, answered with the bursts
// scripted for n (none: silence). Anything else is a store frame, which has
// no length field: the device takes it as over only once the line has been
// quiet for QuietMs, so a fetch glued to it is part of it. On request it
// reads, and answers, at the line's speed.
class Device final : public QObject {
public:
    explicit Device(Pty& pty);

    QMap<int, QList<std::pair<int, QByteArray>>> Replies;  // n -> (pause in ms, bytes)…
    QList<QByteArray> Frames;                              // every store frame taken, whole
    QList<int> Fetched;                                    // the numbers asked for, in order
    std::function<void(int)> OnFetch;                      // runs as a number is asked for, before the reply
    int HangUpAtFetch = 0;                                 // hangs up when asked for this number
    qsizetype HangUpAfter = -1;                            // hangs up once it has read this many bytes
    int QuietMs = 200;                                     // the quiet that ends a store frame

    // 3,840 bytes a second each way, as at 38400 8N1; a pseudo-terminal
    // passes them at once.
    void ReadAtLineSpeed(bool on = true);
    // Stops reading, as a device busy storing would: what the program
    // writes waits in the line.
    void Pause(bool paused);
    // Every byte read so far, frames or not.
    qsizetype Received() const { return received_; }

private:
    void Read(qsizetype most);
    void Take(const QByteArray& bytes);
    void Fetch(int number);
    void Poll();
    void EndFrame();

    Pty& pty_;
    QSocketNotifier notifier_;
    QTimer quiet_;  // at line speed, the clock of the line
    QElapsedTimer since_;
    double lastPoll_ = 0;
    double inCredit_ = 0;  // bytes the line has carried to the device and it has not read
    double outCredit_ = 0;
    bool lineSpeed_ = false;
    bool paused_ = false;
    QByteArray frame_;
    double lastByte_ = 0;
    QByteArray replying_;  // at line speed, what is still to go out
    qsizetype received_ = 0;
};
