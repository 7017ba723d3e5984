// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/key_filter.h"

QString FilterTypedText(QStringView text, bool keepBackspace)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (KeyFilterKeeps(c.unicode()) && (keepBackspace || c != u'\b'))
            kept.append(c);
    }
    return kept;
}
