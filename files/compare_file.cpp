// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "files/compare_file.h"

#include "files/load_save.h"
#include "files/scene_file.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "scene/grid_compare.h"
#include "scene/scene_window.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

void CompareWithFileCommand(SceneWindow& window)
{
    const QString title = u"Compare with File"_s;
    DialogService& dialogs = window.Dialogs();
    const QString grid = window.GridText();
    const std::optional<SceneBytes> mine = ParseSceneGrid(grid, title, dialogs);
    if (!mine)
        return;
    try {
        const QString path = dialogs.ShowOpen(SceneFileFilter, true);
        if (path.isEmpty())
            return;
        const SceneBytes theirs = Lire(path);
        ShowGridComparison(window, grid, *mine, theirs, u"\"%1\""_s.arg(QFileInfo(path).fileName()), u"file"_s, title);
    } catch (const Failure& failure) {
        if (failure.Number != FailureNumber::CancelSelected)
            dialogs.MsgBox(failure.Description, MsgBoxStyle::Exclamation, title);
    }
}
