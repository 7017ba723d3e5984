// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "files/load_save.h"

#include "files/scene_file.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "platform/file_kind.h"
#include "scene/scene_window.h"

#include <QDir>

using namespace Qt::StringLiterals;

const QString SceneFileFilter = u"TOVRAK bin Files (*.bin)|*.bin"_s;

namespace {

const QString ErrorTitle = u"TOVRAK Updater"_s;
const QString SaveTitle = u"Save Scene"_s;

}  // namespace

void LoadSceneCommand(SceneWindow& window)
{
    try {
        const QString path = window.Dialogs().ShowOpen(SceneFileFilter, true);
        LoadSceneFile(window, path);
    } catch (const Failure& failure) {
        if (failure.Number == FailureNumber::CancelSelected)
            return;
        window.Dialogs().MsgBox(failure.Description, MsgBoxStyle::Exclamation, ErrorTitle);
    }
}

void LoadSceneFile(SceneWindow& window, const QString& path)
{
    try {
        if (path.isEmpty())
            return;
        // The dialog only gives files that exist, so a missing one has
        // vanished since: say so rather than do nothing.
        if (!window.Dialogs().FileExists(path)) {
            if (KindOf(path) == FileKind::UnreadableName)
                throw Failure{FailureNumber::FileNotFound, UnreadableNameMessage(path)};
            throw Failure{FailureNumber::FileNotFound,
                          u"\"%1\" is no longer there, so nothing was loaded."_s.arg(QDir::toNativeSeparators(path))};
        }
        // The grid changes only once the whole file has been read.
        window.SetGridText(FormatSceneGrid(Lire(path)));
    } catch (const Failure& failure) {
        window.Dialogs().MsgBox(failure.Description, MsgBoxStyle::Exclamation, ErrorTitle);
    }
}

void SaveSceneCommand(SceneWindow& window)
{
    DialogService& dialogs = window.Dialogs();
    const std::optional<SceneBytes> scene = ParseSceneGrid(window.GridText(), SaveTitle, dialogs);
    if (!scene || scene->isEmpty())
        return;

    QString path;
    try {
        path = dialogs.ShowSave(SceneFileFilter, true);
    } catch (const Failure&) {
        return;  // cancelled: nothing to say
    }
    if (path.isEmpty())
        return;
    if (dialogs.FileExists(path) &&
        dialogs.MsgBox(u"File already exists. Overwrite?"_s, MsgBoxStyle::YesNo | MsgBoxStyle::Question, ErrorTitle) !=
            MsgBoxResult::Yes)
        return;
    try {
        Ecrire(path, *scene);
    } catch (const Failure& failure) {
        dialogs.MsgBox(failure.Description, MsgBoxStyle::Exclamation, SaveTitle);
    }
}
