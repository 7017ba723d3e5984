// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>

class LinkWindow;

// The settings text of speed button Option2, Option3 or Option4.
QString SettingsForSpeedOption(int option);

// Sets the port up from the window's choices: the device session closes it
// first if it is open (which ends an exchange in progress), then sets the
// port number from Combo1 and the line settings from the first speed button
// selected. Leaves the port closed. Throws Failure.
void ConfigureLink(LinkWindow& window);
