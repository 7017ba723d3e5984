// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

class LinkWindow;
struct ReplyEnd;

// "Receive Scene <<": asks the device for the scene under a number the
// user names and starts the exchange that collects the reply.
void ReceiveSceneCommand(LinkWindow& window);

// The end of that exchange, as the user sees it: the reply in the grid,
// "Connection Failed", or what went wrong.
void ReportReceive(LinkWindow& window, const ReplyEnd& end);
