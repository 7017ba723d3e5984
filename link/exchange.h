// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "link/link_window.h"

#include <QByteArray>
#include <QString>

class Clock;
class QTimer;
class SerialLink;
struct LineSettings;

// Seconds the line needs to carry count bytes with these settings (start
// bit, data bits, parity bit, stop bits).
double TransmitSeconds(qint64 count, const LineSettings& settings);

// The send rule: writes a frame to the open port and waits until all of it
// has left, so that closing the port or writing the next frame cuts nothing.
// With progress, a long frame shows a progress dialog whose Cancel stops it;
// without, the event loop runs while it drains and nothing can cut it.
// Throws Failure when the port is lost, the line is stuck, or it is cancelled.
void WriteWhole(LinkWindow& window, const QByteArray& frame, int sceneNumber, bool withProgress);

// How a fetch exchange ended, if it has.
struct ReplyEnd {
    enum Kind { Going, Reply, NoReply, TooLong, Failed } How = Going;
    SceneBytes Bytes;  // Reply: the scene
    QString Why;       // TooLong, Failed: what the receive command tells the user
};

// The reply rule, on the fields it is given: after the fetch frame, every
// byte that arrives is the reply until more than a second passes without
// one; nothing within a second means no reply. A reply over MaxSceneBytes,
// a lost port or a failed read end it with a reason, the port closed. The
// receive command runs it on the window's fields; the backup on its own.
class ReplyExchange {
public:
    ReplyExchange(ExchangeFields& fields, SerialLink& port, Clock& clock, QTimer& timer);

    // Empties the buffer and writes the fetch frame to the open port.
    void Start(int sceneNumber);
    // The port's notification: collects what arrived.
    ReplyEnd OnArrival();
    // The timer's tick: ends the exchange once the silence is long enough.
    // No reply leaves the port open: late bytes start a new collection.
    ReplyEnd OnTick();
    // Ends the exchange without a word.
    void Abandon();

private:
    ReplyEnd Fail(const QString& why);
    void Arm();

    ExchangeFields& fields_;
    SerialLink& port_;
    Clock& clock_;
    QTimer& timer_;
};
