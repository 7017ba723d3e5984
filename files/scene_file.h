// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "scene/scene_grid.h"

#include <QString>

// A scene file is the scene's raw bytes and nothing else.

// The file a scene number is kept in within a folder of the whole device:
// scene-001.bin … scene-255.bin.
QString SceneFileName(int sceneNumber);

// What to say of a file or folder whose name the system's encoding could not
// turn into text.
QString UnreadableNameMessage(const QString& path);

// Reads the whole file Fichier. Throws Failure, naming the file and the
// reason, when it cannot be read, is no regular file (a folder, a named
// pipe, a device) or holds more than a scene can (MaxSceneBytes); an empty
// file is an empty scene.
SceneBytes Lire(const QString& Fichier);

// Throws the failure Ecrire would for Fichier when it names something that
// is never replaced: a folder, a named pipe, a device or a socket.
void CheckSceneTarget(const QString& Fichier);

// Writes TEXTE as the whole new contents of Fichier. The old file stays whole
// until the new one is complete and on the disk (written beside it, then
// renamed over it), keeps its owner, group and mode, and a symbolic link is
// followed to the file it names. Only a regular file is replaced: a folder,
// a named pipe, a device or a socket is left alone, and so is a file whose
// owner the new one could not be given. Throws Failure, naming the file and
// the reason.
void Ecrire(const QString& Fichier, const SceneBytes& TEXTE);
