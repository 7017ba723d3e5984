// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "scene/scene_grid.h"

#include <QByteArray>

// Store a scene under a number (1…255): 0x21, the number, 0xCC, the bytes.
QByteArray SendFrame(int sceneNumber, const SceneBytes& scene);

// Ask for the scene stored under a number: 0x2C, the number, 0xCC.
QByteArray ReceiveRequestFrame(int sceneNumber);
