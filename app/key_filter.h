// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>
#include <QStringView>

// Whether a character typed into the grid reaches it: the digits 0-9, the
// space and backspace (8). Everything else, Enter, Tab, signs, punctuation
// and the control characters of shortcuts such as Ctrl+V (22), is dropped.
constexpr bool KeyFilterKeeps(char16_t k)
{
    return k == 32 || k == 8 || (k >= u'0' && k <= u'9');
}

// The characters of typed text that the grid keeps. Text committed by an
// input method is inserted as it is, so there a backspace is dropped too.
QString FilterTypedText(QStringView text, bool keepBackspace);
