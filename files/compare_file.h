// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

class SceneWindow;

// "Compare with File…": compares the grid with a scene file the user picks;
// the grid is not changed. A grid with a bad entry is refused as a save
// refuses it.
void CompareWithFileCommand(SceneWindow& window);
