// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "scene/scene_grid.h"

#include "platform/dialog_service.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

using namespace Qt::StringLiterals;

namespace {

constexpr int EntriesPerLine = 16;
// A message box cannot show a 10 MB token; this many characters identify it.
constexpr qsizetype LongestTokenShown = 40;

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsZeroForm(QStringView token)
{
    return token == u"0" || token == u"00" || token == u"000";
}

// What a token adds to the scene: a byte, nothing (an empty token), or the
// end of the parse.
enum class TokenKind { Byte, Skip, Bad };

TokenKind ReadToken(QStringView token, char& byte)
{
    if (IsZeroForm(token)) {
        byte = 0;
        return TokenKind::Byte;
    }
    // Nearly every token is an entry of one to three digits: its value
    // needs no general number reading.
    if (!token.isEmpty() && token.size() <= 3 && std::all_of(token.begin(), token.end(), IsDigit)) {
        int whole = 0;
        for (QChar c : token)
            whole = whole * 10 + (c.unicode() - u'0');
        if (whole > 255)
            return TokenKind::Bad;
        byte = static_cast<char>(static_cast<unsigned char>(whole));
        return TokenKind::Byte;
    }
    const double value = NumericValue(token);
    if (value > 0 && value < 256) {
        const double rounded = RoundHalfEven(value);
        // 255.5 up to 256 rounds to 256, which is no byte.
        if (rounded <= 255) {
            byte = static_cast<char>(static_cast<unsigned char>(rounded));
            return TokenKind::Byte;
        }
        return TokenKind::Bad;
    }
    return token.isEmpty() ? TokenKind::Skip : TokenKind::Bad;
}

}  // namespace

QString FormatSceneGrid(const SceneBytes& bytes)
{
    const qsizetype n = bytes.size();
    QString text;
    text.resize(n * 4 + (n / EntriesPerLine) * 2);
    QChar* out = text.data();
    for (qsizetype i = 0; i < n; ++i) {
        const auto value = static_cast<unsigned char>(bytes[i]);
        *out++ = QChar(u'0' + value / 100);
        *out++ = QChar(u'0' + value / 10 % 10);
        *out++ = QChar(u'0' + value % 10);
        *out++ = QChar(u' ');
        if ((i + 1) % EntriesPerLine == 0) {
            *out++ = QChar(u'\r');
            *out++ = QChar(u'\n');
        }
    }
    return text;
}

namespace {

// Between two entries as a space is: a tab, a comma or a semicolon, as a
// list pasted from a spreadsheet or a program has them, would otherwise
// join its numbers into one token that reads as the first alone.
bool IsEntrySeparator(QChar c)
{
    return c == u' ' || c == u'\t' || c == u',' || c == u';';
}

// Reads the grid's tokens in order, giving each one's place, kind and byte
// to onToken, which may stop the reading by returning false. A token ends
// at a space (or a tab, a comma or a semicolon) or at a CR LF pair, which
// stands for one space; a lone CR or LF stays inside its token.
template <typename OnToken> void ScanGrid(QStringView grid, OnToken&& onToken)
{
    const qsizetype n = grid.size();
    qsizetype start = 0;
    qsizetype k = 0;
    while (true) {
        int separator = 0;
        if (k == n)
            separator = -1;
        else if (IsEntrySeparator(grid[k]))
            separator = 1;
        else if (grid[k] == u'\r' && k + 1 < n && grid[k + 1] == u'\n')
            separator = 2;
        if (separator == 0) {
            ++k;
            continue;
        }
        char byte = 0;
        const TokenKind kind = ReadToken(grid.sliced(start, k - start), byte);
        if (!onToken(start, k - start, kind, byte) || separator < 0)
            return;
        k += separator;
        start = k;
    }
}

}  // namespace

SceneGridReading ReadSceneGrid(QStringView grid)
{
    SceneGridReading reading;
    // About four characters an entry.
    reading.Bytes.reserve(grid.size() / 4 + 1);
    ScanGrid(grid, [&](qsizetype start, qsizetype length, TokenKind kind, char byte) {
        if (kind == TokenKind::Bad)
            reading.BadToken = grid.sliced(start, length).toString();
        else if (kind == TokenKind::Byte)
            reading.Bytes.append(byte);
        return kind != TokenKind::Bad;
    });
    return reading;
}

QList<std::pair<qsizetype, qsizetype>> DifferingEntries(QStringView grid, const SceneBytes& theirs)
{
    QList<std::pair<qsizetype, qsizetype>> differing;
    qsizetype index = 0;
    qsizetype breaks = 0;  // CR LF pairs so far, each one character in the box
    qsizetype counted = 0;
    ScanGrid(grid, [&](qsizetype start, qsizetype length, TokenKind kind, char byte) {
        if (kind != TokenKind::Byte)
            return kind == TokenKind::Skip;
        for (; counted + 1 < start; ++counted)
            breaks += grid[counted] == u'\r' && grid[counted + 1] == u'\n';
        if (index >= theirs.size() || theirs[index] != byte)
            differing.append({start - breaks, length});
        ++index;
        return true;
    });
    return differing;
}

QList<GridEntry> GridLineEntries(QStringView line, qsizetype from, qsizetype to)
{
    const auto separates = [](QChar c) {
        return IsEntrySeparator(c) || c == QChar::Nbsp || c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator ||
            c == QChar::LineSeparator;
    };
    const qsizetype n = line.size();
    to = to < 0 ? n : std::min(to, n);
    // Back to the start of the entry that reaches into the range.
    qsizetype k = std::clamp<qsizetype>(from, 0, n);
    while (k > 0 && !separates(line[k - 1]))
        --k;
    QList<GridEntry> entries;
    while (k < to) {
        if (separates(line[k])) {
            ++k;
            continue;
        }
        const qsizetype start = k;
        while (k < n && !separates(line[k]))
            ++k;
        char byte = 0;
        entries.append({start, k - start, ReadToken(line.sliced(start, k - start), byte) == TokenKind::Bad});
    }
    return entries;
}

QString OutOfRangeMessage(QStringView token)
{
    QString shown = token.toString();
    if (shown.size() > LongestTokenShown)
        shown = shown.first(LongestTokenShown) + QChar(u'\u2026');
    return shown + u" is not between 0 and 255"_s;
}

std::optional<SceneBytes> ParseSceneGrid(QStringView grid, const QString& title, DialogService& dialogs)
{
    SceneGridReading reading = ReadSceneGrid(grid);
    if (reading.BadToken) {
        dialogs.MsgBox(OutOfRangeMessage(*reading.BadToken), MsgBoxStyle::OkOnly | MsgBoxStyle::Critical, title);
        return std::nullopt;
    }
    return std::move(reading.Bytes);
}

namespace {

struct NumberScan {
    double Value = 0;
    qsizetype End = 0;  // where the number ends in the text
    bool Found = false;
};

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

NumberScan ScanNumber(QStringView text)
{
    NumberScan scan;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    // Copy the number (without its sign) into ASCII for from_chars, which
    // reads it the same whatever the user's locale.
    std::string number;
    qsizetype intDigits = 0;      // integer digits after leading zeros
    qsizetype fractionZeros = 0;  // zeros after the point before any other digit
    bool nonZeroSeen = false;
    bool anyDigit = false;
    for (; i < n && IsDigit(text[i]); ++i) {
        anyDigit = true;
        if (text[i] != u'0')
            nonZeroSeen = true;
        if (nonZeroSeen)
            ++intDigits;
        number.push_back(static_cast<char>(text[i].unicode()));
    }
    if (i < n && text[i] == u'.') {
        const qsizetype point = i;
        number.push_back('.');
        for (++i; i < n && IsDigit(text[i]); ++i) {
            anyDigit = true;
            if (text[i] != u'0')
                nonZeroSeen = true;
            else if (!nonZeroSeen)
                ++fractionZeros;
            number.push_back(static_cast<char>(text[i].unicode()));
        }
        if (!anyDigit)
            i = point;  // a lone point is no number
    }
    if (!anyDigit)
        return scan;
    scan.Found = true;

    long long exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        bool expNegative = false;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            expNegative = text[j] == u'-';
            ++j;
        }
        if (j < n && IsDigit(text[j])) {
            std::string exponentText = expNegative ? "e-" : "e";
            for (; j < n && IsDigit(text[j]); ++j) {
                exponentText.push_back(static_cast<char>(text[j].unicode()));
                if (exponent < 1'000'000'000)
                    exponent = exponent * 10 + (text[j].unicode() - u'0');
            }
            if (expNegative)
                exponent = -exponent;
            number += exponentText;
            i = j;
        }
    }
    scan.End = i;

    if (!nonZeroSeen) {
        scan.Value = negative ? -0.0 : 0.0;
        return scan;
    }
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: decide by the decimal
        // magnitude, which is all the callers compare against.
        const long long magnitude = intDigits > 0 ? intDigits + exponent : exponent - fractionZeros;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    scan.Value = negative ? -value : value;
    return scan;
}

}  // namespace

double NumericValue(QStringView text)
{
    return ScanNumber(text).Value;
}

std::optional<double> WholeNumericValue(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    const QStringView trimmed = text.first(end);
    const NumberScan scan = ScanNumber(trimmed);
    if (!scan.Found || scan.End != trimmed.size())
        return std::nullopt;
    return scan.Value;
}

double RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5)
        return floor + 1;
    if (fraction < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}
