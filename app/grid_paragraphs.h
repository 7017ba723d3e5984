// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>

#include <utility>

// Qt's document costs more than linearly in its paragraphs, so a grid set as
// a whole is kept as paragraphs of this many lines, joined inside by line
// separators. The box's text reads them back as line ends.
inline constexpr int LinesPerParagraph = 16;

// text with its line ends (CR LF or LF) made into paragraph ends after
// every LinesPerParagraph lines, and line separators elsewhere.
QString GroupedLines(const QString& text);

// Where the line holding index at begins in a paragraph's text, and where it
// ends, before its line separator or at the paragraph's end.
std::pair<qsizetype, qsizetype> LineAround(QStringView paragraph, qsizetype at);

// The longest run of characters in text with no space or line end among them.
qsizetype LongestWord(QStringView text);
