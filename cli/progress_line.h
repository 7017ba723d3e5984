// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>

// A line on a terminal that is written over as work goes on, with nothing
// but a carriage return and spaces: Windows' legacy console shows escape
// codes as they are.
class ProgressLine {
public:
    // What to write so that the line shows text instead of what it showed.
    // Text that would not fit in columns (0: unknown) is cut short, since
    // a line that wraps cannot be gone back over.
    QString Show(const QString& text, int columns);
    // What to write to leave the line empty, with the cursor at its start,
    // so that a message can stand alone there.
    QString Clear();

private:
    QString shown_;  // on the line now
};
