// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

class LinkWindow;

// "Compare with Device…": fetches the scene under a number the user names,
// by the receive rule, and compares it with the grid, which is not changed;
// neither is Label4. A grid with a bad entry is refused as a send refuses it.
void CompareWithDeviceCommand(LinkWindow& window);
