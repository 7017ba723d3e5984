// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

// A store frame has no length field and no end mark: the device can tell
// where it ends only by the line falling quiet after it. So after a store
// frame nothing more may be written until the frame has had time to cross
// the line, counted at the port's speed from when its first byte was handed
// to the port (a driver, a USB adapter or a pseudo-terminal can report it
// gone long before it is on the wire), and then the line has stayed quiet
// for the frame gap.
class FramePacer {
public:
    // The protocol's own measure of quiet: the second that ends a reply.
    static constexpr double DefaultGap = 1.0;
    // What --frame-gap accepts.
    static constexpr double ShortestGap = 0.05;
    static constexpr double LongestGap = 10.0;

    double Gap() const { return gap_; }
    void SetGap(double seconds) { gap_ = seconds; }

    // A store frame's first byte was handed to the port at now; the line
    // needs lineSeconds to carry all of it.
    void Handed(double now, double lineSeconds);
    // The frame is out of the port at now: left whole, failed or dropped.
    void Ended(double now);
    // Seconds from now until the next frame may be written; 0 when it may
    // go at once.
    double Wait(double now) const;

private:
    double gap_ = DefaultGap;
    double quietFrom_ = 0;  // when the line carries the last frame's last byte; 0: no frame yet
};
