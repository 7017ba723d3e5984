// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "cli/progress_line.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString ProgressLine::Show(const QString& text, int columns)
{
    QString line = QString(text).replace(u'\n', u"   "_s);
    // The last column is left free: a character there moves some terminals
    // on to the next line.
    if (columns > 1 && line.size() > columns - 1)
        line = line.left(std::max(0, columns - 2)) + u'…';
    const qsizetype blanks = std::max<qsizetype>(0, shown_ - line.size());
    shown_ = line.size();
    return u'\r' + line + QString(blanks, u' ');
}

QString ProgressLine::Clear()
{
    if (shown_ == 0)
        return {};
    const QString clear = u'\r' + QString(shown_, u' ') + u'\r';
    shown_ = 0;
    return clear;
}
