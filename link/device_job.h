// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "link/exchange.h"
#include "platform/failure.h"
#include "scene/scene_compare.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// One scene that was read back and compared: by a verify, against its file;
// by a checked restore, against what was sent.
struct SceneCheck {
    int Number = 0;
    bool Replied = false;
    SceneComparison Comparison;  // the expected copy against the device's, when it replied
    int Sends = 0;               // checked restore: how often its frame went

    bool Same() const { return Replied && Comparison.Same(); }
};

// How a device job ended.
struct JobResult {
    QList<int> Done;           // saved (backup), sent whole (restore) or read back (verify), in order
    QList<int> Silent;         // backup, fetch: the numbers that gave no reply
    QList<SceneCheck> Checks;  // verify, checked restore: every scene read back, in order
    SceneBytes Reply;          // fetch: what the device sent
    bool Cancelled = false;    // stopped on request, between two scenes
    int StoppedAt = 0;         // the scene in flight when a failure stopped the job
    QString Stopped;           // that failure, for the user; empty when none
    int StoppedBy = 0;         // its number (FailureNumber)
};

// What a job over many scenes does, step by step, and what it has found.
// It neither touches the port nor waits: the device session does each step
// it gives and tells it how the step ended.
class DeviceJob {
public:
    enum class Kind { Backup, Restore, Verify, Fetch };
    // What is left to do, for an estimate of the time it takes.
    struct Work {
        qint64 LineBytes = 0;  // frames still to write and replies still to come
        int Gaps = 0;          // the frame gap after a store frame, before what follows it
        int Fetches = 0;       // each ended by the reply's second of silence
    };
    struct Step {
        enum What { Send, Fetch, Over } Do = Over;
        int Number = 0;
        QByteArray Frame;  // Send: the store frame
    };

    // Fetches each number and writes each reply to its scene file in folder
    // (written beside, then renamed into place).
    static DeviceJob Backup(const QList<int>& numbers, const QString& folder);
    // Sends each scene under its number; with readBack, fetches it right
    // after and, when the device's copy differs, sends it once more.
    static DeviceJob Restore(const QList<std::pair<int, SceneBytes>>& scenes, bool readBack);
    // Fetches each number and compares the reply with the scene given.
    static DeviceJob Verify(const QList<std::pair<int, SceneBytes>>& scenes);
    // Fetches one number and keeps the reply.
    static DeviceJob Fetch(int number);

    Kind What() const { return kind_; }
    // "a backup is running", for a request it keeps waiting.
    QString Running() const;
    // What to do now. Asked to stop, the job ends before the next scene.
    Step Next(bool stopAsked);
    bool Fetching() const { return phase_ == Phase::Check || phase_ == Phase::Recheck; }
    // The next step starts a scene: nothing of the one before is left to do.
    bool AtSceneStart() const;
    // The step's frame left whole.
    void FrameLeft();
    // The step's fetch is over; a failure that stops the job is returned.
    std::optional<Failure> Fetched(const ReplyEnd& end);
    // A failure stopped the job at the scene in flight.
    void Stop(const Failure& failure);
    // Leaves the result alone and lets go of the scenes.
    void Finish();

    // The scene in flight (0 when none), how many are over and how many
    // there are.
    int Number() const;
    qsizetype Index() const { return index_; }
    qsizetype Total() const { return scenes_.size(); }
    // The step in flight and the tally so far, for a progress dialog.
    QString StepText() const;
    // From the step in flight on. A backup's replies are counted as long as
    // those so far.
    Work Ahead() const;
    const JobResult& Result() const { return result_; }

private:
    enum class Phase { Send, Check, Resend, Recheck };

    DeviceJob(Kind kind, const QList<std::pair<int, SceneBytes>>& scenes);
    void SceneOver();
    void Checked(const ReplyEnd& end, int sends);

    Kind kind_ = Kind::Backup;
    QList<std::pair<int, SceneBytes>> scenes_;  // the numbers, with the bytes expected or to send
    QString folder_;
    bool readBack_ = false;
    qsizetype index_ = 0;
    Phase phase_ = Phase::Check;
    qint64 repliedBytes_ = 0;  // backup: what the replies saved so far held
    JobResult result_;
};
