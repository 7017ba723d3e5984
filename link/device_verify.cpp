// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "files/scene_folder.h"
#include "link/device_backup.h"
#include "link/device_session.h"
#include "link/job_command.h"
#include "link/link_window.h"
#include "platform/dialog_service.h"

#include <QDir>

using namespace Qt::StringLiterals;

void VerifyDeviceCommand(LinkWindow& window)
{
    const QString title = u"Verify Device"_s;
    DialogService& dialogs = window.Dialogs();
    const QString folder = dialogs.ShowFolder(u"Verify against folder"_s);
    if (folder.isEmpty())
        return;
    const QString where = QDir::toNativeSeparators(QDir(folder).absolutePath());
    const SceneFolder found = ReadSceneFolder(folder);
    const QString skippedText =
        found.Skipped.isEmpty() ? QString() : u"\n\nSkipped: %1."_s.arg(found.Skipped.join(u", "));
    if (found.Scenes.isEmpty()) {
        dialogs.MsgBox(
            u"There are no scene files to check in %1 (files named scene-001.bin to scene-255.bin)."_s.arg(where) +
                skippedText,
            MsgBoxStyle::Exclamation, title);
        return;
    }
    if (!RunJob(window, title, [&](DeviceSession& session) { session.Verify(found.Scenes); }))
        return;

    const JobResult& job = window.LinkSession().LastJob();
    const QStringList differ = DifferingScenes(job.Checks, u"file"_s);
    QString head = u"%1 of %2 checked against %3: "_s.arg(job.Checks.size()).arg(Scenes(found.Scenes.size()), where);
    if (differ.isEmpty())
        head += job.Checks.isEmpty() ? u"none."_s : u"all the same."_s;
    else
        head += u"%1 the same, %2 differ%3:"_s.arg(job.Checks.size() - differ.size())
                    .arg(differ.size())
                    .arg(differ.size() == 1 ? u"s"_s : QString());
    if (!job.Stopped.isEmpty())
        head = u"The verify stopped at scene %1: %2\n\n"_s.arg(job.StoppedAt).arg(job.Stopped) + head;
    else if (job.Cancelled)
        head = u"The verify was cancelled.\n\n"_s + head;
    const bool fine = job.Stopped.isEmpty() && !job.Cancelled && differ.isEmpty();
    ShowSummary(dialogs, head, differ, skippedText, fine ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation, title);
}
