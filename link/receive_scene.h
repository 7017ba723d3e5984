// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

class LinkWindow;

// "Receive Scene <<": asks the device for the scene under a number the
// user names and starts the exchange that collects the reply.
void ReceiveSceneCommand(LinkWindow& window);

// The serial port's notification: collects arriving bytes, or ends the
// exchange when the port is lost.
void OnReceive(LinkWindow& window);

// Timer1's tick: ends the exchange after more than a second of silence,
// with the reply in the grid or "Connection Failed".
void OnTick(LinkWindow& window);

// Ends an exchange in progress without a word (the port is being closed or
// a send takes over).
void AbandonExchange(LinkWindow& window);
