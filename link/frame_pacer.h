// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class Clock;

// A store frame has no length field and no end mark: the device can tell
// where it ends only by the line falling quiet after it. So after a store
// frame nothing more may be written until the frame has had time to cross
// the line, counted at the port's speed from when its first byte was handed
// to the port (a driver, a USB adapter or a pseudo-terminal can report it
// gone long before it is on the wire), and then the line has stayed quiet
// for the frame gap. A write asked for before then is held, and made then.
class FramePacer final : public QObject {
    Q_OBJECT
public:
    // The protocol's own measure of quiet: the second that ends a reply.
    static constexpr double DefaultGap = 1.0;
    // What --frame-gap accepts.
    static constexpr double ShortestGap = 0.05;
    static constexpr double LongestGap = 10.0;

    explicit FramePacer(Clock& clock);

    double Gap() const { return gap_; }
    void SetGap(double seconds) { gap_ = seconds; }

    // A store frame's first byte is handed to the port now; the line needs
    // lineSeconds to carry all of it.
    void Handed(double lineSeconds);
    // The frame is out of the port now: left whole, failed or dropped.
    void Ended();
    // Seconds until the next frame may be written; 0 when it may go at once.
    double Wait() const;
    // The same in whole milliseconds, rounded up, for a timer.
    int WaitMs() const;

    // False when write may be made at once; otherwise it is kept, in place
    // of any write held before, and made once the line is quiet.
    bool Hold(std::function<void()> write);
    bool Holding() const { return static_cast<bool>(held_); }
    // Forgets the write held, if any.
    void Drop();
    // The timer's own: makes the write held if the line is quiet by now.
    void OnQuiet();

private:
    Clock& clock_;
    double gap_ = DefaultGap;
    double quietFrom_ = 0;  // when the line carries the last frame's last byte; 0: no frame yet
    QTimer timer_;
    std::function<void()> held_;
};
