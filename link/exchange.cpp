// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/exchange.h"

#include "platform/line_settings.h"
#include "platform/serial_link.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

double LineSeconds(const SerialLink& port, qint64 count)
{
    return TransmitSeconds(count, ParseLineSettings(port.Settings()));
}

namespace ReplyRule {

void Begin(ExchangeFields& fields, double now)
{
    fields.ReceiveBuffer.clear();
    fields.AwaitingReply = true;
    fields.LastReceiveTime = now;
}

ReplyEnd Arrive(ExchangeFields& fields, const QByteArray& bytes, double now)
{
    fields.AwaitingReply = false;
    fields.LastReceiveTime = now;
    fields.ReceiveBuffer += bytes;
    // A device or line that never falls silent would grow the reply
    // without end.
    if (fields.ReceiveBuffer.size() > MaxSceneBytes) {
        Abandon(fields);
        fields.ReceiveBuffer.clear();
        return {ReplyEnd::TooLong, {}, {}};
    }
    return {};
}

ReplyEnd Look(ExchangeFields& fields, double now)
{
    if (fields.LastReceiveTime == 0)
        return {};
    const float elapsed = static_cast<float>(now - fields.LastReceiveTime);
    if (!(elapsed > SilenceSeconds))
        return {};
    fields.LastReceiveTime = 0;
    if (fields.AwaitingReply) {
        fields.ReceiveBuffer.clear();
        return {ReplyEnd::NoReply, {}, {}};
    }
    return {ReplyEnd::Reply, std::exchange(fields.ReceiveBuffer, {}), {}};
}

int MsToSilence(const ExchangeFields& fields, double now)
{
    // One millisecond past the moment, so that the look finds it over.
    const double remaining = fields.LastReceiveTime + SilenceSeconds - now;
    return std::clamp(static_cast<int>(std::ceil(remaining * 1000.0)) + 1, 1, 2000);
}

void Abandon(ExchangeFields& fields)
{
    fields.LastReceiveTime = 0;
}

}  // namespace ReplyRule
