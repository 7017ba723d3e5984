// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/send_scene.h"

#include "link/configure_link.h"
#include "link/device_session.h"
#include "link/frames.h"
#include "link/link_window.h"
#include "link/scene_number.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"

using namespace Qt::StringLiterals;

namespace {

const QString SendTitle = u"Send Scene"_s;
const QString ErrorTitle = u"TOVRAK Updater"_s;
// Below this a send is over before a progress dialog would be read.
constexpr double ProgressThresholdSeconds = 0.5;

}  // namespace

void SendSceneCommand(LinkWindow& window)
{
    DialogService& dialogs = window.Dialogs();
    try {
        const std::optional<SceneBytes> scene = ParseSceneGrid(window.GridText(), SendTitle, dialogs);
        if (!scene || scene->isEmpty())
            return;
        const std::optional<SceneNumberAnswer> answer = SceneNumberPrompt(dialogs, SendTitle);
        if (!answer)
            return;
        const int sceneNumber = SendSceneNumber(*answer);
        const QByteArray frame = SendFrame(sceneNumber, *scene);

        ConfigureLink(window);
        DeviceSession& session = window.LinkSession();
        // Label4 changes once the frame has left whole and the port is closed.
        session.Send(sceneNumber, frame, [&window, typed = answer->Typed](const std::optional<Failure>& failure) {
            if (failure)
                window.Dialogs().MsgBox(failure->Description, MsgBoxStyle::Exclamation, ErrorTitle);
            else
                window.ShowSceneNumber(typed);
        });
        // Its Cancel cuts the send short, and says so.
        if (session.LineSeconds(frame.size()) > ProgressThresholdSeconds)
            dialogs.ShowProgress(SendTitle, session.Progress());
    } catch (const Failure& failure) {
        dialogs.MsgBox(failure.Description, MsgBoxStyle::Exclamation, ErrorTitle);
    }
}
