// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/grid_paragraphs.h"

#include <algorithm>

QString GroupedLines(const QString& text)
{
    QString grouped(text.size(), Qt::Uninitialized);
    QChar* out = grouped.data();
    int lines = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            continue;  // the line ends at its LF
        if (c == u'\n') {
            *out++ = ++lines % LinesPerParagraph == 0 ? QChar(u'\n') : QChar(QChar::LineSeparator);
        } else {
            *out++ = c;
        }
    }
    grouped.truncate(out - grouped.constData());
    return grouped;
}

std::pair<qsizetype, qsizetype> LineAround(QStringView paragraph, qsizetype at)
{
    at = std::clamp<qsizetype>(at, 0, paragraph.size());
    const qsizetype start = at == 0 ? 0 : paragraph.first(at).lastIndexOf(QChar::LineSeparator) + 1;
    const qsizetype end = paragraph.indexOf(QChar::LineSeparator, at);
    return {start, end < 0 ? paragraph.size() : end};
}

qsizetype LongestWord(QStringView text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}
