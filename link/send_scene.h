// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

class LinkWindow;

// "Send Scene >>": stores the grid's scene on the device under a number the
// user names. Every failure is reported here; the port is left closed.
void SendSceneCommand(LinkWindow& window);
