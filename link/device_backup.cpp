// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/device_backup.h"

#include "files/scene_file.h"
#include "files/scene_folder.h"
#include "link/device_session.h"
#include "link/job_command.h"
#include "link/link_window.h"
#include "link/scene_list.h"
#include "platform/dialog_service.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString BackupTitle = u"Back Up Device"_s;
const QString RestoreTitle = u"Restore Device"_s;

QString BackupSummary(const JobResult& job, const QString& where, const QStringList& stale)
{
    QString summary = u"%1 saved in %2"_s.arg(Scenes(job.Done.size()), where);
    summary += job.Done.isEmpty() ? u"."_s : u" (%1)."_s.arg(Numbers(job.Done));
    if (!job.Silent.isEmpty())
        summary += u"\nNo reply from %1."_s.arg(Numbers(job.Silent));
    // Such a file holds what an earlier backup found, not what the device
    // holds now.
    if (!stale.isEmpty())
        summary += u"\nLeft from before, not replaced (no reply this time): %1."_s.arg(stale.join(u", "));
    if (!job.Stopped.isEmpty())
        return u"The backup stopped at scene %1: %2\n\n%3"_s.arg(job.StoppedAt).arg(job.Stopped, summary);
    if (job.Cancelled)
        return u"The backup was cancelled.\n\n"_s + summary;
    return summary;
}

// Sent, then for a checked restore what was read back.
QString RestoreHead(const JobResult& job, bool readBack)
{
    QString summary = u"%1 sent to the device"_s.arg(Scenes(job.Done.size()));
    summary += job.Done.isEmpty() ? u"."_s : u" (%1)."_s.arg(Numbers(job.Done));
    if (readBack && !job.Checks.isEmpty()) {
        const QStringList differ = DifferingScenes(job.Checks, u"file"_s);
        summary +=
            u"\n%1 read back: %2"_s.arg(Scenes(job.Checks.size()))
                .arg(differ.isEmpty()
                         ? u"all the same."_s
                         : u"%1 still differ%2:"_s.arg(differ.size()).arg(differ.size() == 1 ? u"s"_s : QString()));
    }
    if (!job.Stopped.isEmpty())
        return u"The restore stopped at scene %1: %2\n\n%3"_s.arg(job.StoppedAt).arg(job.Stopped, summary);
    if (job.Cancelled)
        return u"The restore was cancelled between two scenes.\n\n"_s + summary;
    return summary;
}

// The scenes whose first copy read back differed and whose second did not.
QString SentAgain(const JobResult& job)
{
    QList<int> again;
    for (const SceneCheck& check : job.Checks) {
        if (check.Sends > 1 && check.Same())
            again << check.Number;
    }
    return again.isEmpty()
        ? QString()
        : u"\nSent again, as the first copy read back differed, and now the same: %1."_s.arg(Numbers(again));
}

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
    const QDir dir(folder);
    const QString where = QDir::toNativeSeparators(dir.absolutePath());
    const auto there = std::count_if(list.Numbers.begin(), list.Numbers.end(),
                                     [&](int n) { return dialogs.FileExists(dir.filePath(SceneFileName(n))); });
    if (there > 0 &&
        dialogs.MsgBox(u"%1 of the files for these numbers already in %2 would be replaced. Replace them?"_s.arg(
                           there == 1 ? u"One"_s : QString::number(there), where),
                       MsgBoxStyle::YesNo | MsgBoxStyle::Question, BackupTitle) != MsgBoxResult::Yes)
        return;

    if (!RunJob(window, BackupTitle, [&](DeviceSession& session) { session.BackUp(list.Numbers, dir.absolutePath()); }))
        return;
    const JobResult& job = window.LinkSession().LastJob();
    // A silent number gets no file, so one there now was there before.
    QStringList stale;
    for (const int n : job.Silent) {
        if (dialogs.FileExists(dir.filePath(SceneFileName(n))))
            stale << SceneFileName(n);
    }
    dialogs.MsgBox(BackupSummary(job, where, stale),
                   job.Stopped.isEmpty() ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation, BackupTitle);
}

void RestoreDeviceCommand(LinkWindow& window)
{
    DialogService& dialogs = window.Dialogs();
    const QString folder = dialogs.ShowFolder(u"Restore from folder"_s);
    if (folder.isEmpty())
        return;
    const QString where = QDir::toNativeSeparators(QDir(folder).absolutePath());
    const SceneFolder found = ReadSceneFolder(folder);
    const QString skippedText =
        found.Skipped.isEmpty() ? QString() : u"\n\nSkipped: %1."_s.arg(found.Skipped.join(u", "));
    if (found.Scenes.isEmpty()) {
        dialogs.MsgBox(
            u"There are no scene files to send in %1 (files named scene-001.bin to scene-255.bin)."_s.arg(where) +
                skippedText,
            MsgBoxStyle::Exclamation, RestoreTitle);
        return;
    }
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
    if (!RunJob(window, RestoreTitle, [&](DeviceSession& session) { session.Restore(found.Scenes, readBack); }))
        return;
    const JobResult& job = window.LinkSession().LastJob();
    const QStringList differ = readBack ? DifferingScenes(job.Checks, u"file"_s) : QStringList();
    const bool fine = job.Stopped.isEmpty() && differ.isEmpty();
    ShowSummary(dialogs, RestoreHead(job, readBack), differ, SentAgain(job) + skippedText,
                fine ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation, RestoreTitle);
}
