// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/frame_pacer.h"

#include "platform/clock.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

int Milliseconds(double seconds)
{
    return static_cast<int>(std::ceil(seconds * 1000));
}

}  // namespace

FramePacer::FramePacer(Clock& clock) : clock_(clock)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FramePacer::OnQuiet);
}

void FramePacer::Handed(double lineSeconds)
{
    quietFrom_ = std::max(quietFrom_, clock_.Now() + lineSeconds);
}

void FramePacer::Ended()
{
    // A frame that was still in the port later than its line time would end
    // is on the wire until then at least.
    quietFrom_ = std::max(quietFrom_, clock_.Now());
}

double FramePacer::Wait() const
{
    if (quietFrom_ == 0)
        return 0;
    return std::max(0.0, quietFrom_ + gap_ - clock_.Now());
}

int FramePacer::WaitMs() const
{
    return Milliseconds(Wait());
}

bool FramePacer::Hold(std::function<void()> write)
{
    const double wait = Wait();
    if (wait <= 0)
        return false;
    held_ = std::move(write);
    timer_.start(Milliseconds(wait));
    return true;
}

void FramePacer::Drop()
{
    held_ = {};
    timer_.stop();
}

void FramePacer::OnQuiet()
{
    if (!held_)
        return;
    if (const double wait = Wait(); wait > 0)
        return timer_.start(Milliseconds(wait));
    std::exchange(held_, {})();
}
