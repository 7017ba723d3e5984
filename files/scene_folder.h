// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "scene/scene_grid.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// The scene files of a folder (scene-001.bin … scene-255.bin), read whole.
struct SceneFolder {
    QList<std::pair<int, SceneBytes>> Scenes;  // by number, whatever order the folder lists them in
    QList<int> Numbers;                        // the same numbers
    QStringList Skipped;                       // "scene-004.bin (empty)", "… (a named pipe)", …
    QString Problem;                           // why the folder itself cannot be read; empty when it can
};

SceneFolder ReadSceneFolder(const QString& folder);
