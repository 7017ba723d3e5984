// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "scene/scene_grid.h"

#include <QString>

// How two copies of a scene differ: the one the user meant ("mine": a file,
// the grid, what was sent) and the other (what the device holds, a file).
struct SceneComparison {
    qsizetype Differing = 0;  // bytes that differ where both copies have one
    qsizetype First = -1;     // where the first of them is, counted from 0
    int MineAt = 0;           // the two values there
    int TheirsAt = 0;
    qsizetype MineSize = 0;
    qsizetype TheirsSize = 0;

    bool Same() const { return Differing == 0 && MineSize == TheirsSize; }
};

SceneComparison CompareScenes(const SceneBytes& mine, const SceneBytes& theirs);

// What differs, in words, with each copy named ("file", "device"):
// "the device holds 250 bytes, the file 256; 3 bytes differ, the first at
// byte 37 (file 255, device 128)". Bytes are counted from 1, as the grid's
// tooltip counts them. Empty when the copies are the same.
QString DifferenceText(const SceneComparison& comparison, const QString& mine, const QString& theirs);
