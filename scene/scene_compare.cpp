// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "scene/scene_compare.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString Bytes(qsizetype count)
{
    return count == 1 ? u"1 byte"_s : u"%1 bytes"_s.arg(count);
}

int ByteAt(const SceneBytes& bytes, qsizetype i)
{
    return static_cast<unsigned char>(bytes[i]);
}

}  // namespace

SceneComparison CompareScenes(const SceneBytes& mine, const SceneBytes& theirs)
{
    SceneComparison comparison;
    comparison.MineSize = mine.size();
    comparison.TheirsSize = theirs.size();
    const qsizetype common = std::min(mine.size(), theirs.size());
    const char* a = mine.constData();
    const char* b = theirs.constData();
    for (qsizetype i = 0; i < common; ++i) {
        if (a[i] == b[i])
            continue;
        if (comparison.Differing++ == 0) {
            comparison.First = i;
            comparison.MineAt = ByteAt(mine, i);
            comparison.TheirsAt = ByteAt(theirs, i);
        }
    }
    return comparison;
}

QString DifferenceText(const SceneComparison& comparison, const QString& mine, const QString& theirs)
{
    QStringList parts;
    if (comparison.MineSize != comparison.TheirsSize)
        parts
            << u"the %1 holds %2, the %3 %4"_s.arg(theirs, Bytes(comparison.TheirsSize), mine).arg(comparison.MineSize);
    if (comparison.Differing > 0)
        parts << u"%1, the first at byte %2 (%3 %4, %5 %6)"_s
                     .arg(comparison.Differing == 1 ? u"1 byte differs"_s
                                                    : u"%1 bytes differ"_s.arg(comparison.Differing))
                     .arg(comparison.First + 1)
                     .arg(mine)
                     .arg(comparison.MineAt)
                     .arg(theirs)
                     .arg(comparison.TheirsAt);
    return parts.join(u"; "_s);
}
