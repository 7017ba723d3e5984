// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

class LinkWindow;

// "Send Scene >>": stores the grid's scene on the device under a number the
// user names. The frame drains while the event loop runs; its end, or its
// failure, is reported once, and the port is left closed.
void SendSceneCommand(LinkWindow& window);
