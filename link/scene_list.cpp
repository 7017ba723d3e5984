// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/scene_list.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

SceneList ParseSceneList(const QString& text)
{
    static const QRegularExpression separators(u"[,;\\s]+"_s);
    static const QRegularExpression item(u"^(\\d{1,3})(?:\\s*-\\s*(\\d{1,3}))?$"_s);
    // Spaces around a dash belong to the range, not between two items.
    QString spaced = text;
    spaced.replace(QRegularExpression(u"\\s*-\\s*"_s), u"-"_s);
    SceneList list;
    QList<bool> chosen(256, false);
    for (const QString& part : spaced.split(separators, Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = item.match(part);
        if (!match.hasMatch()) {
            list.Error = u"\"%1\" is not a scene number or a range such as 1-10."_s.arg(part.left(40));
            return list;
        }
        const int first = match.captured(1).toInt();
        const int last = match.hasCaptured(2) ? match.captured(2).toInt() : first;
        if (first < 1 || last > 255 || first > 255) {
            list.Error = u"%1: scene numbers go from 1 to 255."_s.arg(part);
            return list;
        }
        if (last < first) {
            list.Error =
                u"%1: a range goes from the smaller number to the larger, as in %2-%3."_s.arg(part).arg(last).arg(
                    first);
            return list;
        }
        std::fill(chosen.begin() + first, chosen.begin() + last + 1, true);
    }
    for (int n = 1; n <= 255; ++n) {
        if (chosen[n])
            list.Numbers << n;
    }
    if (list.Numbers.isEmpty())
        list.Error = u"No scene numbers were given. Type numbers and ranges such as 1-10, 20, 33-40."_s;
    return list;
}

QString FormatSceneRanges(const QList<int>& numbers)
{
    QStringList ranges;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        ranges << (i == j ? QString::number(numbers[i]) : u"%1-%2"_s.arg(numbers[i]).arg(numbers[j]));
        i = j + 1;
    }
    return ranges.join(u", ");
}
