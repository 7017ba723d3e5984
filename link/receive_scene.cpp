// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/receive_scene.h"

#include "link/configure_link.h"
#include "link/frames.h"
#include "link/link_window.h"
#include "link/scene_number.h"
#include "platform/clock.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "platform/serial_link.h"

#include <QTimer>

#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A reply is over after more than this much silence.
constexpr double SilenceSeconds = 1.0;

// Arms Timer1 for the moment the silence would end, rather than polling:
// the end is found within a millisecond and an idle window never wakes.
void ArmTimer1(LinkWindow& window)
{
    const double remaining = window.Exchange().LastReceiveTime + SilenceSeconds - window.ElapsedClock().Now();
    const int ms = std::max(1, static_cast<int>(std::ceil(remaining * 1000.0)) + 1);
    window.ReceiveTimer().start(std::min(ms, 2000));
}

// Ends the exchange, closes the port and tells the user why, with the
// receive command's message style.
void EndExchangeWithMessage(LinkWindow& window, const QString& message)
{
    AbandonExchange(window);
    window.Exchange().ReceiveBuffer.clear();
    SerialLink& port = window.Port();
    if (port.PortOpen())
        port.SetPortOpen(false);
    window.Dialogs().MsgBox(message, MsgBoxStyle::OkOnly);
}

}  // namespace

void AbandonExchange(LinkWindow& window)
{
    window.Exchange().LastReceiveTime = 0;
    window.ReceiveTimer().stop();
}

void ReceiveSceneCommand(LinkWindow& window)
{
    SerialLink& port = window.Port();
    ExchangeFields& fields = window.Exchange();
    try {
        const std::optional<SceneNumberAnswer> answer = SceneNumberPrompt(window.Dialogs(), u"Receive Scene"_s);
        if (!answer)
            return;
        ConfigureLink(window);
        const QByteArray request = ReceiveRequestFrame(ReceiveSceneNumber(*answer));
        fields.ReceiveBuffer.clear();
        port.SetPortOpen(true);
        fields.AwaitingReply = true;
        fields.LastReceiveTime = window.ElapsedClock().Now();
        ArmTimer1(window);
        port.Output(request);
        window.ShowSceneNumber(answer->Typed);
    } catch (const Failure& failure) {
        window.Dialogs().MsgBox(failure.Description, MsgBoxStyle::OkOnly);
    }
}

void OnReceive(LinkWindow& window)
{
    SerialLink& port = window.Port();
    ExchangeFields& fields = window.Exchange();
    try {
        if (port.CommEvent() == CommEventCode::PortLost) {
            if (fields.LastReceiveTime != 0) {
                EndExchangeWithMessage(
                    window,
                    u"Serial port %1 was lost during the exchange, so no scene was "
                    "received. Check that the adapter is plugged in, then try again."_s.arg(port.CommPort()));
            }
            return;
        }
        if (port.CommEvent() != CommEventCode::Receive || !port.PortOpen())
            return;
        if (fields.Sending) {
            port.Input();  // nothing answers a store frame: not a reply
            return;
        }
        fields.AwaitingReply = false;
        fields.LastReceiveTime = window.ElapsedClock().Now();
        fields.ReceiveBuffer += port.Input();
        if (fields.ReceiveBuffer.size() > MaxSceneBytes) {
            // A device or line that never falls silent would grow the reply
            // without end.
            EndExchangeWithMessage(window,
                                   u"The device sent more than a scene can hold (%1 bytes) without "
                                   "pausing, so the reply was dropped and the grid is unchanged. Check "
                                   "the device and the line, then try again."_s.arg(MaxSceneBytes));
            return;
        }
        ArmTimer1(window);
    } catch (const Failure& failure) {
        EndExchangeWithMessage(window, failure.Description);
    }
}

void OnTick(LinkWindow& window)
{
    ExchangeFields& fields = window.Exchange();
    if (fields.LastReceiveTime == 0) {
        window.ReceiveTimer().stop();
        return;
    }
    const float elapsed = static_cast<float>(window.ElapsedClock().Now() - fields.LastReceiveTime);
    if (!(elapsed > SilenceSeconds)) {
        ArmTimer1(window);
        return;
    }
    AbandonExchange(window);
    if (fields.AwaitingReply) {
        // Emptied before the message: bytes arriving while it is open start
        // a new collection and must survive it.
        fields.ReceiveBuffer.clear();
        window.Dialogs().MsgBox(u"Connection Failed"_s, MsgBoxStyle::Exclamation, u"TOVRAK Updater"_s);
        return;
    }
    SerialLink& port = window.Port();
    if (port.PortOpen())
        port.SetPortOpen(false);
    const SceneBytes reply = std::exchange(fields.ReceiveBuffer, {});
    window.SetGridText(FormatSceneGrid(reply));
}
