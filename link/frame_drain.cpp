// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/frame_drain.h"

#include "link/exchange.h"
#include "platform/clock.h"
#include "platform/serial_link.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int SendTimedOut = FailureNumber::SendTimedOut;
constexpr int PortLostWhileSending = FailureNumber::PortLost;
// While more than a driver holds is queued the line stays busy for a while:
// look less often. Below it, look often, so that a frame that has left is
// found within milliseconds.
constexpr qint64 LongQueue = 2048;
constexpr int QuickLookMs = 1;
constexpr int SlowLookMs = 50;

int LookAfterMs(qint64 queued)
{
    return queued > LongQueue ? SlowLookMs : QuickLookMs;
}

}  // namespace

FrameDrain::FrameDrain(SerialLink& port, Clock& clock) : port_(port), clock_(clock)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FrameDrain::Look);
}

void FrameDrain::Start(const QByteArray& frame)
{
    size_ = frame.size();
    line_ = LineSeconds(port_, size_);
    seconds_ = static_cast<int>(std::min(line_ * 2 + 2, 86400.0));
    started_ = clock_.Now();
    deadline_ = started_ + seconds_;
    port_.Output(frame);
    // The first look comes once the event loop has handed the frame on: on
    // a line with room to spare it may have left already.
    timer_.start(size_ > LongQueue ? SlowLookMs : 0);
}

void FrameDrain::PortLost()
{
    if (Draining())
        End(Lost());
}

void FrameDrain::Look()
{
    if (!port_.PortOpen())
        return End(Lost());
    const double now = clock_.Now();
    const qint64 queued = std::min(port_.OutBufferCount(), size_);
    // A driver, an adapter or a pseudo-terminal can take a frame long before
    // the line has carried it: no more is on the wire than its line time
    // since the first byte allows.
    const double lineEnds = started_ + line_;
    const double carried = now >= lineEnds ? 1.0 : (now - started_) / line_;
    const qint64 sent = std::min(size_ - queued, static_cast<qint64>(carried * static_cast<double>(size_)));
    Q_EMIT Progressed(sent, size_);
    if (sent == size_) {
        // A frame counts as sent only if the line was still there once all
        // of it had left.
        return End(port_.FinishOutput() ? std::nullopt : std::optional(Lost()));
    }
    const qint64 left = size_ - sent;
    if (now > deadline_) {
        return End(Failure{SendTimedOut,
                           u"The scene could not be sent within %1 seconds: %2 of %3 bytes are still "
                           "waiting, so the device may hold only part of it. Check the cable and the "
                           "device, then send it again."_s.arg(seconds_)
                               .arg(left)
                               .arg(size_)});
    }
    if (queued > 0)
        return timer_.start(LookAfterMs(queued));
    timer_.start(std::clamp(static_cast<int>(std::ceil((lineEnds - now) * 1000)), QuickLookMs, SlowLookMs));
}

void FrameDrain::End(const std::optional<Failure>& failure)
{
    timer_.stop();
    Q_EMIT Ended(failure);
}

Failure FrameDrain::Lost() const
{
    return {PortLostWhileSending,
            u"%1 was lost while the scene was being sent, so the device may hold only part of it. Check the cable "
            "and the adapter, then send the scene again."_s.arg(port_.PortName())};
}
