// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

class LinkWindow;

// "Back Up Device…": fetches the scenes under the numbers the user lists,
// one receive exchange each, and writes every reply to its own file in a
// folder the user picks. Leaves the grid, Label4 and the receive command's
// fields alone; the port is opened once and closed at the end.
void BackupDeviceCommand(LinkWindow& window);

// "Restore Device…": sends every scene file of a folder the user picks to
// the device under the number in its name, in number order, as "Send Scene
// >>" sends one; unless the user says not to, reads each one back to check
// it, and sends once more one that differs.
void RestoreDeviceCommand(LinkWindow& window);

// "Verify Device…": fetches every number that has a scene file in a folder
// the user picks and compares each reply with its file. Writes nothing.
void VerifyDeviceCommand(LinkWindow& window);
