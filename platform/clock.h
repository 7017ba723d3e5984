// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QElapsedTimer>

// Seconds with fractions, for timing the silence that ends a reply.
class Clock {
public:
    virtual ~Clock() = default;
    // Never 0 (0 means "no exchange" to the caller), never runs backwards,
    // never wraps.
    virtual double Now() = 0;
};

// The system's monotonic clock, counted from when this object was made.
class MonotonicClock final : public Clock {
public:
    MonotonicClock() { started_.start(); }
    double Now() override { return 1.0 + static_cast<double>(started_.nsecsElapsed()) / 1e9; }

private:
    QElapsedTimer started_;
};
