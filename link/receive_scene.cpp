// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/receive_scene.h"

#include "link/configure_link.h"
#include "link/device_session.h"
#include "link/link_window.h"
#include "link/scene_number.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"

using namespace Qt::StringLiterals;

void ReceiveSceneCommand(LinkWindow& window)
{
    try {
        const std::optional<SceneNumberAnswer> answer = SceneNumberPrompt(window.Dialogs(), u"Receive Scene"_s);
        if (!answer)
            return;
        ConfigureLink(window);
        const int sceneNumber = ReceiveSceneNumber(*answer);
        window.LinkSession().Receive(sceneNumber);
        window.ShowSceneNumber(answer->Typed);
    } catch (const Failure& failure) {
        window.Dialogs().MsgBox(failure.Description, MsgBoxStyle::OkOnly);
    }
}

void ReportReceive(LinkWindow& window, const ReplyEnd& end)
{
    switch (end.How) {
    case ReplyEnd::Going: break;
    case ReplyEnd::Reply: window.SetGridText(FormatSceneGrid(end.Bytes)); break;
    case ReplyEnd::NoReply:
        window.Dialogs().MsgBox(u"Connection Failed"_s, MsgBoxStyle::Exclamation, u"TOVRAK Updater"_s);
        break;
    case ReplyEnd::TooLong:
        window.Dialogs().MsgBox(u"The device sent more than a scene can hold (%1 bytes) without pausing, so the "
                                "reply was dropped and the grid is unchanged. Check the device and the line, then "
                                "try again."_s.arg(MaxSceneBytes),
                                MsgBoxStyle::OkOnly);
        break;
    case ReplyEnd::Failed: window.Dialogs().MsgBox(end.Why, MsgBoxStyle::OkOnly); break;
    }
}
