// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QtGlobal>

class LinkWindow;
struct LineSettings;

// Seconds the line needs to carry count bytes with these settings (start
// bit, data bits, parity bit, stop bits).
double TransmitSeconds(qint64 count, const LineSettings& settings);

// "Send Scene >>": stores the grid's scene on the device under a number the
// user names. Every failure is reported here; the port is left closed.
void SendSceneCommand(LinkWindow& window);
