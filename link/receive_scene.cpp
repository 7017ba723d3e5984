// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/receive_scene.h"

#include "link/configure_link.h"
#include "link/exchange.h"
#include "link/link_window.h"
#include "link/scene_number.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "platform/serial_link.h"

using namespace Qt::StringLiterals;

namespace {

ReplyExchange WindowExchange(LinkWindow& window)
{
    return ReplyExchange(window.Exchange(), window.Port(), window.ElapsedClock(), window.ReceiveTimer());
}

// Shows how the exchange ended, in the receive command's way.
void Report(LinkWindow& window, const ReplyEnd& end)
{
    switch (end.How) {
    case ReplyEnd::Going: break;
    case ReplyEnd::Reply: window.SetGridText(FormatSceneGrid(end.Bytes)); break;
    case ReplyEnd::NoReply:
        window.Dialogs().MsgBox(u"Connection Failed"_s, MsgBoxStyle::Exclamation, u"TOVRAK Updater"_s);
        break;
    case ReplyEnd::TooLong:
    case ReplyEnd::Failed: window.Dialogs().MsgBox(end.Why, MsgBoxStyle::OkOnly); break;
    }
}

}  // namespace

void AbandonExchange(LinkWindow& window)
{
    WindowExchange(window).Abandon();
}

void ReceiveSceneCommand(LinkWindow& window)
{
    SerialLink& port = window.Port();
    try {
        const std::optional<SceneNumberAnswer> answer = SceneNumberPrompt(window.Dialogs(), u"Receive Scene"_s);
        if (!answer)
            return;
        ConfigureLink(window);
        const int sceneNumber = ReceiveSceneNumber(*answer);
        port.SetPortOpen(true);
        WindowExchange(window).Start(sceneNumber);
        window.ShowSceneNumber(answer->Typed);
    } catch (const Failure& failure) {
        window.Dialogs().MsgBox(failure.Description, MsgBoxStyle::OkOnly);
    }
}

void OnReceive(LinkWindow& window)
{
    ExchangeFields& fields = window.Exchange();
    // The backup and the restore read the port themselves.
    if (fields.DeviceJob)
        return;
    if (fields.Sending) {
        try {
            if (window.Port().PortOpen())
                window.Port().Input();  // nothing answers a store frame: not a reply
        } catch (const Failure&) {
            // The send reports a lost port itself.
        }
        return;
    }
    Report(window, WindowExchange(window).OnArrival());
}

void OnTick(LinkWindow& window)
{
    Report(window, WindowExchange(window).OnTick());
}
