// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "scene/grid_compare.h"

#include "platform/dialog_service.h"
#include "scene/scene_compare.h"
#include "scene/scene_window.h"

using namespace Qt::StringLiterals;

void ShowGridComparison(SceneWindow& window, const QString& grid, const SceneBytes& mine, const SceneBytes& theirs,
                        const QString& what, const QString& theirName, const QString& title)
{
    const SceneComparison comparison = CompareScenes(mine, theirs);
    const auto entries = DifferingEntries(grid, theirs);
    window.MarkDifferences(entries, theirs, theirName);
    QString text;
    if (comparison.Same()) {
        text = u"The grid and %1 are the same (%2 bytes)."_s.arg(what).arg(mine.size());
    } else {
        text = u"The grid and %1 differ: %2."_s.arg(what, DifferenceText(comparison, u"grid"_s, theirName));
        if (!entries.isEmpty())
            text += u"\nThe entries that differ are marked in the grid until it next changes; hover one to see "
                    "both values."_s;
    }
    window.Dialogs().MsgBox(text, MsgBoxStyle::Information, title);
}
