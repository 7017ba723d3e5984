// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>

// What a service or a command step raises when it cannot do its work. A
// command's error trap catches it and shows Description; Number lets a caller
// recognise the few failures it treats specially (a cancelled file dialog).
// The system's reason for a failure, to go inside a sentence: without the
// full stop (and line end) that Windows ends its own texts with.
inline QString InSentence(QString reason)
{
    reason = reason.trimmed();
    if (reason.endsWith(u'.'))
        reason.chop(1);
    return reason;
}

struct Failure {
    int Number = 0;
    QString Description;
};

namespace FailureNumber {
// A file dialog closed with Cancel while CancelError is set.
inline constexpr int CancelSelected = 32755;
// A property was given a value it cannot take (malformed line settings).
inline constexpr int InvalidPropertyValue = 380;
// A file named by the user is not there.
inline constexpr int FileNotFound = 53;
// Serial port errors.
inline constexpr int InvalidPortNumber = 8002;
inline constexpr int PortAlreadyOpen = 8005;
inline constexpr int PortOpenFailed = 8010;
inline constexpr int PortNotOpen = 8018;
inline constexpr int PortWriteFailed = 8020;
// The device link.
inline constexpr int SendCancelled = 8030;
inline constexpr int SendTimedOut = 8031;
inline constexpr int PortLost = 8032;
inline constexpr int DeviceBusy = 8033;
inline constexpr int ReplyTooLong = 8034;
// Scene files.
inline constexpr int FileReadFailed = 8040;
inline constexpr int FileTooLarge = 8041;
inline constexpr int FileWriteFailed = 8042;
}  // namespace FailureNumber
