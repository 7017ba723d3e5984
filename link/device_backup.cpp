// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/device_backup.h"

#include "files/scene_file.h"
#include "files/scene_folder.h"
#include "link/device_session.h"
#include "link/job_command.h"
#include "link/job_summary.h"
#include "link/link_window.h"
#include "link/scene_list.h"
#include "platform/dialog_service.h"
#include "platform/file_kind.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString BackupTitle = u"Back Up Device"_s;
const QString RestoreTitle = u"Restore Device"_s;

}  // namespace

void BackupDeviceCommand(LinkWindow& window)
{
    DialogService& dialogs = window.Dialogs();
    const QString answer = dialogs.InputBox(u"Scene numbers to back up"_s, BackupTitle, u"1-255"_s);
    if (answer.isEmpty())
        return;
    const SceneList list = ParseSceneList(answer);
    if (!list.Error.isEmpty()) {
        dialogs.MsgBox(list.Error, MsgBoxStyle::Exclamation, BackupTitle);
        return;
    }
    const QString folder = dialogs.ShowFolder(u"Back up into folder"_s);
    if (folder.isEmpty())
        return;
    if (KindOf(folder) == FileKind::UnreadableName) {
        dialogs.MsgBox(UnreadableNameMessage(folder), MsgBoxStyle::Exclamation, BackupTitle);
        return;
    }
    const QDir dir(folder);
    const QString where = QDir::toNativeSeparators(dir.absolutePath());
    const auto there = std::count_if(list.Numbers.begin(), list.Numbers.end(),
                                     [&](int n) { return dialogs.FileExists(dir.filePath(SceneFileName(n))); });
    if (there > 0 &&
        dialogs.MsgBox(u"%1 of the files for these numbers already in %2 would be replaced. Replace them?"_s.arg(
                           there == 1 ? u"One"_s : QString::number(there), where),
                       MsgBoxStyle::YesNo | MsgBoxStyle::Question, BackupTitle) != MsgBoxResult::Yes)
        return;

    RunJob(window, BackupTitle, DeviceJob::Backup(list.Numbers, dir.absolutePath()),
           [&dialogs, dir, where](const JobResult& job) {
               // A silent number gets no file, so one there now was there before.
               QStringList stale;
               for (const int n : job.Silent) {
                   if (dialogs.FileExists(dir.filePath(SceneFileName(n))))
                       stale << SceneFileName(n);
               }
               dialogs.MsgBox(BackupSummary(job, where, stale),
                              job.Stopped.isEmpty() ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation, BackupTitle);
           });
}

void RestoreDeviceCommand(LinkWindow& window)
{
    DialogService& dialogs = window.Dialogs();
    const QString folder = dialogs.ShowFolder(u"Restore from folder"_s);
    if (folder.isEmpty())
        return;
    const JobFolder read = ReadJobFolder(folder, u"send"_s);
    if (!read.Refusal.isEmpty()) {
        dialogs.MsgBox(read.Refusal, MsgBoxStyle::Exclamation, RestoreTitle);
        return;
    }
    const SceneFolder& found = read.Found;
    const QString& where = read.Where;
    const QString& skippedText = read.Skipped;
    MsgBoxExtras check{{}, u"Read each scene back to check it"_s, window.ReadBackRestores()};
    const int answer =
        dialogs.MsgBoxWith(u"Send %1 (%2) from %3 to the device on serial port %4? The scenes the device holds "
                           "under those numbers will be replaced."_s.arg(
                               Scenes(found.Scenes.size()), Numbers(found.Numbers), where, window.PortChoice()) +
                               skippedText,
                           MsgBoxStyle::YesNo | MsgBoxStyle::Question, RestoreTitle, check);
    window.ReadBackRestores() = check.Checked;
    if (answer != MsgBoxResult::Yes)
        return;

    const bool readBack = check.Checked;
    RunJob(window, RestoreTitle, DeviceJob::Restore(found.Scenes, readBack),
           [&dialogs, readBack, skippedText](const JobResult& job) {
               const QStringList differ = readBack ? DifferingScenes(job.Checks, u"file"_s) : QStringList();
               const bool fine = job.Stopped.isEmpty() && differ.isEmpty();
               ShowSummary(dialogs, RestoreHead(job, readBack), differ, SentAgain(job) + skippedText,
                           fine ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation, RestoreTitle);
           });
}
