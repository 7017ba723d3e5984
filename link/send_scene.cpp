// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/send_scene.h"

#include "link/configure_link.h"
#include "link/exchange.h"
#include "link/frames.h"
#include "link/link_window.h"
#include "link/receive_scene.h"
#include "link/scene_number.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "platform/serial_link.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString SendTitle = u"Send Scene"_s;
const QString ErrorTitle = u"TOVRAK Updater"_s;

}  // namespace

void SendSceneCommand(LinkWindow& window)
{
    SerialLink& port = window.Port();
    ExchangeFields& fields = window.Exchange();
    try {
        const std::optional<SceneBytes> scene = ParseSceneGrid(window.GridText(), SendTitle, window.Dialogs());
        if (!scene || scene->isEmpty())
            return;
        const std::optional<SceneNumberAnswer> answer = SceneNumberPrompt(window.Dialogs(), SendTitle);
        if (!answer)
            return;
        const int sceneNumber = SendSceneNumber(*answer);
        const QByteArray frame = SendFrame(sceneNumber, *scene);

        ConfigureLink(window);
        fields.ReceiveBuffer.clear();
        port.SetPortOpen(true);
        // A send ends any exchange: the tick has nothing to wait for.
        fields.AwaitingReply = true;
        fields.LastReceiveTime = 0;
        window.ReceiveTimer().stop();

        fields.Sending = true;
        WriteWhole(window, frame, sceneNumber, true);
        fields.Sending = false;
        port.SetPortOpen(false);
        window.ShowSceneNumber(answer->Typed);
    } catch (const Failure& failure) {
        fields.Sending = false;
        // Never leave the port open behind a failed send, nor let the bytes
        // still queued trickle out.
        if (port.PortOpen()) {
            port.DiscardOutput();
            port.SetPortOpen(false);
        }
        window.Dialogs().MsgBox(failure.Description, MsgBoxStyle::Exclamation, ErrorTitle);
    }
}
