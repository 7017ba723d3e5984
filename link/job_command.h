// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "link/device_job.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class DeviceSession;
class DialogService;
class LinkWindow;

// What the commands that run a device job share.

// "1 scene", "3 scenes".
QString Scenes(qsizetype count);
// "number 5" or "numbers 1-3, 7".
QString Numbers(const QList<int>& numbers);

// Starts a job from the window's port choice, then follows it in a progress
// dialog until it is over. False when there is nothing to report: it could
// not even start (the message is shown), or the window closed it.
bool RunJob(LinkWindow& window, const QString& title, const std::function<void(DeviceSession&)>& start);

// One line for each scene read back that is not the same as expected:
// "Scene 7: 3 bytes differ, the first at byte 37 (file 255, device 128)",
// "Scene 12: no reply". expected names the expected copy ("file").
QStringList DifferingScenes(const QList<SceneCheck>& checks, const QString& expected);

// A summary: head, then the lines, then tail. Past a screenful of lines the
// box shows the first of them and keeps the whole list in its details area.
void ShowSummary(DialogService& dialogs, const QString& head, const QStringList& lines, const QString& tail, int style,
                 const QString& title);
