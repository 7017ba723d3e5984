// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "files/scene_folder.h"
#include "link/device_job.h"

#include <QList>
#include <QString>
#include <QStringList>

// What a device job's summary says, in the same words wherever it is shown.

// "About 5 s left.", "About 3 min left."
QString TimeLeft(double seconds);

// What is said once a job is asked to stop, why being "Cancelled" or
// "Interrupted": "Cancelled: stopping once scene 3 is over…", or, with no
// scene in flight (0), that it stops now.
QString StoppingText(const QString& why, int sceneInFlight);

// What a send's progress shows: the scene, the bytes sent of total and the
// time left.
QString SendingText(int scene, qint64 sent, qint64 total, double secondsLeft);
// Why a send cancelled failed: before its frame started, or with part of it
// gone.
QString SendCancelledText(int scene, bool started);

// "1 scene", "3 scenes".
QString Scenes(qsizetype count);
// "number 5" or "numbers 1-3, 7".
QString Numbers(const QList<int>& numbers);

// One line for each scene read back that is not the same as expected:
// "Scene 7: 3 bytes differ, the first at byte 37 (file 255, device 128)",
// "Scene 12: no reply". expected names the expected copy ("file").
QStringList DifferingScenes(const QList<SceneCheck>& checks, const QString& expected);

// The scene files of a folder, read for a job that will verb ("send",
// "check") them.
struct JobFolder {
    SceneFolder Found;
    QString Where;    // the folder, as the user reads it
    QString Skipped;  // "\n\nSkipped: …." or empty
    QString Refusal;  // why there is nothing to do (the folder cannot be read, or holds no scene file); or empty
};
JobFolder ReadJobFolder(const QString& folder, const QString& verb);

// What a backup into where saved; stale names the files of silent numbers
// that were there before.
QString BackupSummary(const JobResult& job, const QString& where, const QStringList& stale);
// What a restore sent and, when it read back, how many differ (the lines
// that name them follow it).
QString RestoreHead(const JobResult& job, bool readBack);
// The scenes whose first copy read back differed and whose second did not.
QString SentAgain(const JobResult& job);
// How many of total scenes in where a verify checked and how many differ
// (the lines that name them follow it).
QString VerifyHead(const JobResult& job, qsizetype total, const QString& where);
