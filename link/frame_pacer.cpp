// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/frame_pacer.h"

#include <algorithm>

void FramePacer::Handed(double now, double lineSeconds)
{
    quietFrom_ = std::max(quietFrom_, now + lineSeconds);
}

void FramePacer::Ended(double now)
{
    // A frame that was still in the port later than its line time would end
    // is on the wire until then at least.
    quietFrom_ = std::max(quietFrom_, now);
}

double FramePacer::Wait(double now) const
{
    if (quietFrom_ == 0)
        return 0;
    return std::max(0.0, quietFrom_ + gap_ - now);
}
