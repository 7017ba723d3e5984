// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QList>
#include <QString>

// A list of scene numbers as the user types it: numbers and ranges from 1
// to 255 separated by commas or spaces, such as "1-10, 20, 33-40".
struct SceneList {
    QList<int> Numbers;  // ascending, each once
    QString Error;       // why the text is no such list; empty when it is
};
SceneList ParseSceneList(const QString& text);

// Ascending numbers written as ranges: "2-4, 9, 11-255".
QString FormatSceneRanges(const QList<int>& numbers);
