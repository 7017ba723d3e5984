// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/compare_device.h"

#include "link/device_session.h"
#include "link/job_command.h"
#include "link/link_window.h"
#include "link/scene_number.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "scene/grid_compare.h"

using namespace Qt::StringLiterals;

void CompareWithDeviceCommand(LinkWindow& window)
{
    const QString title = u"Compare with Device"_s;
    DialogService& dialogs = window.Dialogs();
    const QString grid = window.GridText();
    const std::optional<SceneBytes> mine = ParseSceneGrid(grid, title, dialogs);
    if (!mine)
        return;
    int sceneNumber = 0;
    try {
        const std::optional<SceneNumberAnswer> answer = SceneNumberPrompt(dialogs, title);
        if (!answer)
            return;
        sceneNumber = ReceiveSceneNumber(*answer);
    } catch (const Failure& failure) {
        dialogs.MsgBox(failure.Description, MsgBoxStyle::Exclamation, title);
        return;
    }
    RunJob(window, title, DeviceJob::Fetch(sceneNumber),
           [&window, &dialogs, title, grid, mine = *mine, sceneNumber](const JobResult& job) {
               if (!job.Stopped.isEmpty())
                   dialogs.MsgBox(job.Stopped, MsgBoxStyle::Exclamation, title);
               else if (!job.Silent.isEmpty())
                   dialogs.MsgBox(u"The device did not answer for scene %1, so nothing was compared. Check the cable, "
                                  "the port and the device, then try again."_s.arg(sceneNumber),
                                  MsgBoxStyle::Exclamation, title);
               else if (!job.Cancelled)
                   ShowGridComparison(window, grid, mine, job.Reply, u"scene %1 on the device"_s.arg(sceneNumber),
                                      u"device"_s, title);
           });
}
