// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "scene/scene_grid.h"

#include <QList>
#include <QString>

#include <utility>

class DialogService;

// What every command uses of the main window: its dialogs and the grid.
class SceneWindow {
public:
    virtual ~SceneWindow() = default;

    virtual DialogService& Dialogs() = 0;
    // The grid, with CR LF line breaks.
    virtual QString GridText() const = 0;
    virtual void SetGridText(const QString& text) = 0;
    // Marks the grid's entries at (start, length) as differing from the
    // copy theirs ("device", "file"), until the grid next changes.
    virtual void MarkDifferences(const QList<std::pair<qsizetype, qsizetype>>& entries, const SceneBytes& theirs,
                                 const QString& theirName) = 0;
};
