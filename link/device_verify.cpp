// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "files/scene_folder.h"
#include "link/device_backup.h"
#include "link/device_session.h"
#include "link/job_command.h"
#include "link/job_summary.h"
#include "link/link_window.h"
#include "platform/dialog_service.h"

using namespace Qt::StringLiterals;

void VerifyDeviceCommand(LinkWindow& window)
{
    const QString title = u"Verify Device"_s;
    DialogService& dialogs = window.Dialogs();
    const QString folder = dialogs.ShowFolder(u"Verify against folder"_s);
    if (folder.isEmpty())
        return;
    const JobFolder read = ReadJobFolder(folder, u"check"_s);
    if (!read.Refusal.isEmpty()) {
        dialogs.MsgBox(read.Refusal, MsgBoxStyle::Exclamation, title);
        return;
    }
    const SceneFolder& found = read.Found;
    const QString& where = read.Where;
    const QString& skippedText = read.Skipped;
    const qsizetype total = found.Scenes.size();
    RunJob(window, title, DeviceJob::Verify(found.Scenes),
           [&dialogs, title, total, where, skippedText](const JobResult& job) {
               const QStringList differ = DifferingScenes(job.Checks, u"file"_s);
               const bool fine = job.Stopped.isEmpty() && !job.Cancelled && differ.isEmpty();
               ShowSummary(dialogs, VerifyHead(job, total, where), differ, skippedText,
                           fine ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation, title);
           });
}
