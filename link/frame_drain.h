// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/failure.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <optional>

class Clock;
class SerialLink;

// Writes one frame to the open port and finds, by looking at the port while
// the event loop runs, when all of it has left: whole, once the port holds
// none of it and its line time has passed, or not, because the port was
// lost or the line is stuck (more than twice its time and two seconds).
// Closing the port or writing the next frame before then would cut it
// short.
class FrameDrain final : public QObject {
    Q_OBJECT
public:
    FrameDrain(SerialLink& port, Clock& clock);

    // Throws Failure when the frame cannot be written.
    void Start(const QByteArray& frame);
    bool Draining() const { return timer_.isActive(); }
    // Stops looking, without a word.
    void Stop() { timer_.stop(); }
    // The port went away: a frame still leaving ends as lost.
    void PortLost();

Q_SIGNALS:
    void Progressed(qint64 sent, qint64 total);
    // Once per frame: the failure, or none when it left whole and the line
    // was still there after it.
    void Ended(const std::optional<Failure>& failure);

private:
    void Look();
    void End(const std::optional<Failure>& failure);
    Failure Lost() const;

    SerialLink& port_;
    Clock& clock_;
    QTimer timer_;
    qint64 size_ = 0;
    double line_ = 0;  // its time on the line
    double started_ = 0;
    double deadline_ = 0;
    int seconds_ = 0;
};
