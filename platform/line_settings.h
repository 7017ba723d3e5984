// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>

// The line settings of a serial port, read from "speed,parity,data,stop".
struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    int BaudRate = 9600;
    Parity ParityBit = Parity::None;
    int DataBits = 8;
    StopBits Stop = StopBits::One;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// Reads a settings text such as "38400,n,8,1". Throws Failure
// (InvalidPropertyValue) naming the text and the expected form when it is
// malformed.
LineSettings ParseLineSettings(const QString& text);
