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
    if (line == shown_)
        return {};  // as it is on the terminal already
    const qsizetype blanks = std::max<qsizetype>(0, shown_.size() - line.size());
    shown_ = line;
    return u'\r' + line + QString(blanks, u' ');
}

QString ProgressLine::Clear()
{
    if (shown_.isEmpty())
        return {};
    const QString clear = u'\r' + QString(shown_.size(), u' ') + u'\r';
    shown_.clear();
    return clear;
}
