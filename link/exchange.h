// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "scene/scene_grid.h"

#include <QString>

class SerialLink;
struct LineSettings;

// Seconds the line needs to carry count bytes with these settings (start
// bit, data bits, parity bit, stop bits).
double TransmitSeconds(qint64 count, const LineSettings& settings);
// The same at the port's own settings.
double LineSeconds(const SerialLink& port, qint64 count);

// A fetch exchange, in three fields; its states:
//   Idle                    LastReceiveTime 0
//   Waiting for first byte  LastReceiveTime = request time, AwaitingReply true
//   Collecting              LastReceiveTime = latest arrival, AwaitingReply false
struct ExchangeFields {
    SceneBytes ReceiveBuffer;
    double LastReceiveTime = 0;
    bool AwaitingReply = false;
};

// How a fetch exchange ended, if it has.
struct ReplyEnd {
    enum Kind { Going, Reply, NoReply, TooLong, Failed } How = Going;
    SceneBytes Bytes;  // Reply: the scene
    QString Why;       // Failed: what went wrong, for the user
};

// The reply rule, on one exchange's fields at clock reading now: after the
// fetch frame every byte that arrives is the reply, until more than a second
// passes without one; nothing within a second means no reply.
namespace ReplyRule {

// A reply is over after more than this much silence.
inline constexpr double SilenceSeconds = 1.0;

// The fetch frame goes out: waiting for the first byte.
void Begin(ExchangeFields& fields, double now);
// Bytes arrived (also after no reply: late bytes start a new collection).
// More than MaxSceneBytes without a pause ends it: TooLong, nothing kept.
ReplyEnd Arrive(ExchangeFields& fields, const QByteArray& bytes, double now);
// A look at the clock: the reply, or no reply, once the silence is long
// enough. Idle is left before anyone is told, so that bytes arriving while
// a message is open start a new collection.
ReplyEnd Look(ExchangeFields& fields, double now);
// When to look next: milliseconds until the silence would be long enough.
int MsToSilence(const ExchangeFields& fields, double now);
// Ends the exchange without a word.
void Abandon(ExchangeFields& fields);

}  // namespace ReplyRule
