// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "scene/scene_window.h"

#include <QString>

class DeviceSession;

// What the device link commands use of the main window.
class LinkWindow : public SceneWindow {
public:
    // The one owner of the serial port; every command asks it.
    virtual DeviceSession& LinkSession() = 0;

    // Combo1's text.
    virtual QString PortChoice() const = 0;
    // Whether speed button Option2, Option3 or Option4 is selected.
    virtual bool SpeedChosen(int option) const = 0;
    // Label4: the scene number as typed.
    virtual void ShowSceneNumber(const QString& typed) = 0;
    // Whether a restore reads each scene back, as the restore's question
    // last left it in this run.
    virtual bool& ReadBackRestores() = 0;
    // The window waits for the device to be done before it closes.
    virtual bool Closing() const = 0;
};
