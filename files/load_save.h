// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>

class SceneWindow;

// The filter of both file dialogs.
extern const QString SceneFileFilter;

// "Load from file": replaces the grid with a scene file the user picks.
void LoadSceneCommand(SceneWindow& window);

// Loads path into the grid as the load command does once its dialog has
// given a file (used for a file dropped on the window).
void LoadSceneFile(SceneWindow& window, const QString& path);

// "Save to file": writes the grid's scene to a file the user picks, asking
// before it replaces one.
void SaveSceneCommand(SceneWindow& window);
