// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/port_hold.h"

#include "link/frame_pacer.h"
#include "platform/failure.h"
#include "platform/serial_link.h"

PortHold::PortHold(SerialLink& port, FramePacer& pacer) : port_(port), pacer_(pacer)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PortHold::OnQuietPassed);
}

int PortHold::MsLeft() const
{
    return holding_ && port_.PortOpen() ? pacer_.WaitMs() : 0;
}

void PortHold::Take()
{
    timer_.stop();
    if (std::exchange(holding_, false) && port_.PortOpen())
        return;
    port_.SetPortOpen(true);
}

bool PortHold::KeepFor(int commPort)
{
    if (holding_ && port_.PortOpen() && port_.CommPort() == commPort)
        return true;
    Close();
    return false;
}

void PortHold::GiveBack(bool discard)
{
    if (pacer_.Wait() <= 0 || !port_.PortOpen())
        return Close(discard);
    try {
        if (discard)
            port_.DiscardOutput();
    } catch (const Failure&) {
        // Nothing more goes out in any case.
    }
    holding_ = true;
    timer_.start(pacer_.WaitMs());
}

void PortHold::Close(bool discard)
{
    holding_ = false;
    timer_.stop();
    try {
        if (port_.PortOpen()) {
            if (discard)
                port_.DiscardOutput();
            port_.SetPortOpen(false);
        }
    } catch (const Failure&) {
        // A port that will not even close has nothing more to lose.
    }
}

void PortHold::Arrived()
{
    try {
        if (port_.CommEvent() != CommEventCode::PortLost && port_.PortOpen()) {
            port_.Input();
            return;
        }
    } catch (const Failure&) {
        // A failing port shows as lost.
    }
    Close();
}

void PortHold::OnQuietPassed()
{
    if (!holding_)
        return;
    if (pacer_.Wait() > 0)
        return timer_.start(pacer_.WaitMs());
    Close();
}
