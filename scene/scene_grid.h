// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>

class DialogService;

// A scene: byte values 0…255, any length, zero included. Held as raw bytes;
// no code page ever touches them.
using SceneBytes = QByteArray;

// The most a scene may hold, from a device reply or a file: 1 MiB is far
// beyond any real scene and still a grid the window can show.
inline constexpr qsizetype MaxSceneBytes = qsizetype(1) << 20;

// The grid text of a scene: each byte as three zero-padded digits and a
// space, CR LF after every sixteenth. Empty bytes give empty text.
QString FormatSceneGrid(const SceneBytes& bytes);

// The bytes of a grid text, or nullopt (stopped) after telling the user,
// once, which token is not a byte; title is the caller's.
std::optional<SceneBytes> ParseSceneGrid(QStringView grid, const QString& title, DialogService& dialogs);

// ParseSceneGrid without the message: the bytes read up to the first bad
// token, and that token if there is one.
struct SceneGridReading {
    SceneBytes Bytes;
    std::optional<QString> BadToken;
};
SceneGridReading ReadSceneGrid(QStringView grid);

// Where the entries of a grid are that differ from the bytes theirs, or
// that theirs has no byte for: (start, length) in the text as the text box
// holds it, a CR LF pair being one line break there. The reading stops at
// the first bad token.
QList<std::pair<qsizetype, qsizetype>> DifferingEntries(QStringView grid, const SceneBytes& theirs);

// One line of the grid as the text box holds it (a space, a no-break
// space, a tab, a comma or a semicolon between entries; line breaks, lone
// CR and LF included, end the line): where each entry starts, and whether it would stop a send or a
// save. Only entries that reach into [from, to) are read, so that a
// 10 MB line costs no more than the part on screen.
struct GridEntry {
    qsizetype Start = 0;
    qsizetype Length = 0;
    bool Bad = false;
};
QList<GridEntry> GridLineEntries(QStringView line, qsizetype from = 0, qsizetype to = -1);

// "<token> is not between 0 and 255"; a very long pasted token is shortened
// so that the message still fits on the screen.
QString OutOfRangeMessage(QStringView token);

// The value of the leading number in text: leading blanks skipped, optional
// sign, digits with an optional fraction and exponent ("1e2" is 100, "12abc"
// is 12); 0 where there is no number.
double NumericValue(QStringView text);

// The value of text when all of it, but for blanks at either end, is one
// number in the form NumericValue reads; nullopt otherwise ("12abc").
std::optional<double> WholeNumericValue(QStringView text);

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value);
