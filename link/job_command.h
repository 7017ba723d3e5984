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

// Starts a job from the window's port choice and follows it in a progress
// dialog; returns at once. Once the job is over, and the session is done
// with it, report is told how it ended, unless the window closed it and
// nothing failed. A job that cannot even start is reported as a message.
void RunJob(LinkWindow& window, const QString& title, DeviceJob job,
            const std::function<void(const JobResult&)>& report);

// A summary: head, then the lines, then tail. Past a screenful of lines the
// box shows the first of them and keeps the whole list in its details area.
void ShowSummary(DialogService& dialogs, const QString& head, const QStringList& lines, const QString& tail, int style,
                 const QString& title);
