// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/exchange.h"

#include "link/frames.h"
#include "platform/clock.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "platform/line_settings.h"
#include "platform/serial_link.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int SendCancelled = 8030;
constexpr int SendTimedOut = 8031;
constexpr int PortLostWhileSending = 8032;
// Below this a send is over before a progress dialog would be read.
constexpr double ProgressThresholdSeconds = 0.5;
// A reply is over after more than this much silence.
constexpr double SilenceSeconds = 1.0;

[[noreturn]] void ThrowLost(int port)
{
    throw Failure{PortLostWhileSending,
                  u"Serial port %1 was lost while the scene was being sent, so the device may hold only part "
                  "of it. Check the cable and the adapter, then send the scene again."_s.arg(port)};
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

void WriteWhole(LinkWindow& window, const QByteArray& frame, int sceneNumber, bool withProgress)
{
    SerialLink& port = window.Port();
    port.Output(frame);
    const qint64 total = frame.size();
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

    if (withProgress && seconds > ProgressThresholdSeconds) {
        const ProgressOutcome outcome = window.Dialogs().ShowProgress(
            u"Sending scene %1 to the device…"_s.arg(sceneNumber), u"Send Scene"_s, total,
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
    } else if (seconds > ProgressThresholdSeconds) {
        // No dialog of its own, but the window and any dialog over it (the
        // restore's) keep going while the frame drains.
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!port.PortOpen() || port.OutBufferCount() == 0 || deadline.hasExpired())
                loop.quit();
        });
        poll.start(50);
        loop.exec();
    }
    if (!port.Flush(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
        if (!port.PortOpen())
            ThrowLost(port.CommPort());
        throw timedOut();
    }
}

ReplyExchange::ReplyExchange(ExchangeFields& fields, SerialLink& port, Clock& clock, QTimer& timer)
    : fields_(fields), port_(port), clock_(clock), timer_(timer)
{
}

void ReplyExchange::Start(int sceneNumber)
{
    const QByteArray request = ReceiveRequestFrame(sceneNumber);
    fields_.ReceiveBuffer.clear();
    fields_.AwaitingReply = true;
    fields_.LastReceiveTime = clock_.Now();
    Arm();
    port_.Output(request);
}

ReplyEnd ReplyExchange::OnArrival()
{
    try {
        if (port_.CommEvent() == CommEventCode::PortLost) {
            if (fields_.LastReceiveTime == 0)
                return {};
            return Fail(u"Serial port %1 was lost during the exchange, so no scene was received. Check that the "
                        "adapter is plugged in, then try again."_s.arg(port_.CommPort()));
        }
        if (port_.CommEvent() != CommEventCode::Receive || !port_.PortOpen())
            return {};
        fields_.AwaitingReply = false;
        fields_.LastReceiveTime = clock_.Now();
        fields_.ReceiveBuffer += port_.Input();
        // A device or line that never falls silent would grow the reply
        // without end.
        if (fields_.ReceiveBuffer.size() > MaxSceneBytes) {
            ReplyEnd end = Fail(u"The device sent more than a scene can hold (%1 bytes) without pausing, so the "
                                "reply was dropped and the grid is unchanged. Check the device and the line, then "
                                "try again."_s.arg(MaxSceneBytes));
            end.How = ReplyEnd::TooLong;
            return end;
        }
        Arm();
        return {};
    } catch (const Failure& failure) {
        return Fail(failure.Description);
    }
}

ReplyEnd ReplyExchange::OnTick()
{
    if (fields_.LastReceiveTime == 0) {
        timer_.stop();
        return {};
    }
    const float elapsed = static_cast<float>(clock_.Now() - fields_.LastReceiveTime);
    if (!(elapsed > SilenceSeconds)) {
        Arm();
        return {};
    }
    Abandon();
    if (fields_.AwaitingReply) {
        // Emptied before anyone is told: bytes arriving while a message is
        // open start a new collection and must survive it.
        fields_.ReceiveBuffer.clear();
        return {ReplyEnd::NoReply, {}, {}};
    }
    if (port_.PortOpen())
        port_.SetPortOpen(false);
    return {ReplyEnd::Reply, std::exchange(fields_.ReceiveBuffer, {}), {}};
}

void ReplyExchange::Abandon()
{
    fields_.LastReceiveTime = 0;
    timer_.stop();
}

ReplyEnd ReplyExchange::Fail(const QString& why)
{
    Abandon();
    fields_.ReceiveBuffer.clear();
    if (port_.PortOpen())
        port_.SetPortOpen(false);
    return {ReplyEnd::Failed, {}, why};
}

// Arms the timer for the moment the silence would end, rather than polling:
// the end is found within a millisecond and an idle window never wakes.
void ReplyExchange::Arm()
{
    const double remaining = fields_.LastReceiveTime + SilenceSeconds - clock_.Now();
    const int ms = std::max(1, static_cast<int>(std::ceil(remaining * 1000.0)) + 1);
    timer_.start(std::min(ms, 2000));
}
