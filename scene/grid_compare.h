// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "scene/scene_grid.h"

#include <QString>

class SceneWindow;

// Tells the user whether the grid (its text, which reads as the bytes mine) and
// another copy of the scene are the same, and marks the entries that differ;
// the grid itself is not changed. what names the copy for the message
// ("scene 5 on the device"), theirName for the tooltips ("device").
void ShowGridComparison(SceneWindow& window, const QString& grid, const SceneBytes& mine, const SceneBytes& theirs,
                        const QString& what, const QString& theirName, const QString& title);
