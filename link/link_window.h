// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "scene/scene_grid.h"
#include "scene/scene_window.h"

#include <QString>

class Clock;
class QTimer;
class SerialLink;

// The receive exchange, in the window's three fields; its states:
//   Idle                    LastReceiveTime 0
//   Waiting for first byte  LastReceiveTime = request time, AwaitingReply true
//   Collecting              LastReceiveTime = latest arrival, AwaitingReply false
struct ExchangeFields {
    SceneBytes ReceiveBuffer;
    double LastReceiveTime = 0;
    bool AwaitingReply = false;
    // A send is writing: whatever arrives meanwhile is no reply.
    bool Sending = false;
    // The device backup or restore has the port: the window reads nothing.
    bool DeviceJob = false;
};

// What the device link commands use of the main window.
class LinkWindow : public SceneWindow {
public:
    virtual SerialLink& Port() = 0;
    virtual Clock& ElapsedClock() = 0;
    virtual ExchangeFields& Exchange() = 0;
    // Timer1: ends an exchange after a second of silence.
    virtual QTimer& ReceiveTimer() = 0;

    // Combo1's text.
    virtual QString PortChoice() const = 0;
    // Whether speed button Option2, Option3 or Option4 is selected.
    virtual bool SpeedChosen(int option) const = 0;
    // Label4: the scene number as typed.
    virtual void ShowSceneNumber(const QString& typed) = 0;
};
