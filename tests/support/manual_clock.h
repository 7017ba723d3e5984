// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/clock.h"

// A clock the test moves by hand.
class ManualClock final : public Clock {
public:
    double Seconds = 100.0;
    double Now() override { return Seconds; }
    void Advance(double seconds) { Seconds += seconds; }
};
