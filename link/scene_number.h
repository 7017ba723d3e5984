// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>

#include <optional>

class DialogService;

// The user's answer to "Scene number ?", accepted as 1…255.
struct SceneNumberAnswer {
    double Value = 0;  // the numeric value of the answer's leading number
    QString Typed;     // the answer as typed, for Label4
};

// Asks for the scene number. Empty answer (or Cancel): nullopt, no message.
// Out of range: says so, then nullopt.
std::optional<SceneNumberAnswer> SceneNumberPrompt(DialogService& dialogs, const QString& title);

// The number the send command stores under: the value rounded ("12abc"
// gives 12).
int SendSceneNumber(const SceneNumberAnswer& answer);

// The number the receive command asks for: the whole answer must be a
// number ("12abc" throws Failure).
int ReceiveSceneNumber(const SceneNumberAnswer& answer);
