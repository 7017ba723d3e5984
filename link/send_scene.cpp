// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/send_scene.h"

#include "link/configure_link.h"
#include "link/frames.h"
#include "link/link_window.h"
#include "link/receive_scene.h"
#include "link/scene_number.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "platform/line_settings.h"
#include "platform/serial_link.h"

#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString SendTitle = u"Send Scene"_s;
const QString ErrorTitle = u"TOVRAK Updater"_s;

constexpr int SendCancelled = 8030;
constexpr int SendTimedOut = 8031;
constexpr int PortLostWhileSending = 8032;
// Below this a send is over before a progress dialog would be read.
constexpr double ProgressThresholdSeconds = 0.5;

[[noreturn]] void ThrowLost(int port)
{
    throw Failure{PortLostWhileSending,
                  u"Serial port %1 was lost while the scene was being sent, so the device may hold only part "
                  "of it. Check the cable and the adapter, then send the scene again."_s.arg(port)};
}

// Waits until the whole frame has left the port; a serial write only
// queues it, and closing the port drops whatever is still queued.
void WaitUntilSent(LinkWindow& window, qint64 total, int sceneNumber)
{
    SerialLink& port = window.Port();
    const double seconds = TransmitSeconds(total, ParseLineSettings(port.Settings()));
    // Twice the line time and two seconds more: a line that is slower than
    // that is stuck.
    const int timeoutMs = static_cast<int>(std::min(seconds * 2000.0 + 2000.0, 24.0 * 3600 * 1000));
    const QDeadlineTimer deadline(timeoutMs);
    const auto timedOut = [&] {
        return Failure{SendTimedOut,
                       u"The scene could not be sent within %1 seconds: %2 of %3 bytes are still waiting, so the "
                       "device may hold only part of it. Check the cable and the device, then send it again."_s
                           .arg(timeoutMs / 1000)
                           .arg(port.OutBufferCount())
                           .arg(total)};
    };

    if (seconds > ProgressThresholdSeconds) {
        const ProgressOutcome outcome = window.Dialogs().ShowProgress(
            u"Sending scene %1 to the device…"_s.arg(sceneNumber), SendTitle, total,
            [&] { return port.PortOpen() ? total - std::min(total, port.OutBufferCount()) : total; }, timeoutMs);
        if (!port.PortOpen())
            ThrowLost(port.CommPort());
        if (outcome == ProgressOutcome::Cancelled) {
            throw Failure{SendCancelled,
                          u"Sending was cancelled, so the device may hold only part of scene %1. "
                          "Send it again to store it whole."_s.arg(sceneNumber)};
        }
        if (outcome == ProgressOutcome::TimedOut)
            throw timedOut();
    }
    if (!port.Flush(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
        if (!port.PortOpen())
            ThrowLost(port.CommPort());
        throw timedOut();
    }
}

}  // namespace

double TransmitSeconds(qint64 count, const LineSettings& settings)
{
    double bits = 1 + settings.DataBits;
    if (settings.ParityBit != LineSettings::Parity::None)
        bits += 1;
    switch (settings.Stop) {
    case LineSettings::StopBits::One: bits += 1; break;
    case LineSettings::StopBits::OneAndHalf: bits += 1.5; break;
    case LineSettings::StopBits::Two: bits += 2; break;
    }
    return static_cast<double>(count) * bits / settings.BaudRate;
}

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
        port.Output(frame);
        WaitUntilSent(window, frame.size(), sceneNumber);
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
