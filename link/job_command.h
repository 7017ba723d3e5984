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

// Starts a job from the window's port choice, then follows it in a progress
// dialog until it is over. False when there is nothing to report: it could
// not even start (the message is shown), or the window closed it.
bool RunJob(LinkWindow& window, const QString& title, const std::function<void(DeviceSession&)>& start);

// A summary: head, then the lines, then tail. Past a screenful of lines the
// box shows the first of them and keeps the whole list in its details area.
void ShowSummary(DialogService& dialogs, const QString& head, const QStringList& lines, const QString& tail, int style,
                 const QString& title);
