// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/device_job.h"

#include "files/scene_file.h"
#include "link/frames.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

DeviceJob::DeviceJob(Kind kind, const QList<std::pair<int, SceneBytes>>& scenes) : kind_(kind), scenes_(scenes)
{
    phase_ = kind == Kind::Restore ? Phase::Send : Phase::Check;
}

DeviceJob DeviceJob::Backup(const QList<int>& numbers, const QString& folder)
{
    QList<std::pair<int, SceneBytes>> scenes;
    for (const int n : numbers)
        scenes.append({n, SceneBytes()});
    DeviceJob job(Kind::Backup, scenes);
    job.folder_ = folder;
    return job;
}

DeviceJob DeviceJob::Restore(const QList<std::pair<int, SceneBytes>>& scenes, bool readBack)
{
    DeviceJob job(Kind::Restore, scenes);
    job.readBack_ = readBack;
    return job;
}

DeviceJob DeviceJob::Verify(const QList<std::pair<int, SceneBytes>>& scenes)
{
    return DeviceJob(Kind::Verify, scenes);
}

DeviceJob DeviceJob::Fetch(int number)
{
    return DeviceJob(Kind::Fetch, {{number, SceneBytes()}});
}

QString DeviceJob::Running() const
{
    switch (kind_) {
    case Kind::Backup: return u"a backup is running"_s;
    case Kind::Restore: return u"a restore is running"_s;
    case Kind::Verify: return u"a verify is running"_s;
    case Kind::Fetch: break;
    }
    return u"a scene is being read for a comparison"_s;
}

int DeviceJob::Number() const
{
    return index_ < scenes_.size() ? scenes_[index_].first : 0;
}

bool DeviceJob::AtSceneStart() const
{
    return index_ < scenes_.size() && phase_ == (kind_ == Kind::Restore ? Phase::Send : Phase::Check);
}

DeviceJob::Step DeviceJob::Next(bool stopAsked)
{
    if (index_ == scenes_.size())
        return {};
    if (stopAsked && AtSceneStart()) {
        result_.Cancelled = true;
        return {};
    }
    const auto& [number, bytes] = scenes_[index_];
    if (Fetching())
        return {Step::Fetch, number, {}};
    return {Step::Send, number, SendFrame(number, bytes)};
}

void DeviceJob::FrameLeft()
{
    if (phase_ == Phase::Send)
        result_.Done << Number();
    if (!readBack_)
        return SceneOver();
    phase_ = phase_ == Phase::Send ? Phase::Check : Phase::Recheck;
}

std::optional<Failure> DeviceJob::Fetched(const ReplyEnd& end)
{
    const int n = Number();
    switch (end.How) {
    case ReplyEnd::Going: return {};
    case ReplyEnd::TooLong:
        return Failure{FailureNumber::ReplyTooLong,
                       u"The device sent more than a scene can hold (%1 bytes) without pausing. Check the device "
                       "and the line."_s.arg(MaxSceneBytes)};
    case ReplyEnd::Failed: return Failure{FailureNumber::PortLost, end.Why};
    case ReplyEnd::Reply:
    case ReplyEnd::NoReply: break;
    }
    const bool replied = end.How == ReplyEnd::Reply;
    switch (kind_) {
    case Kind::Backup:
        if (!replied) {
            result_.Silent << n;
            break;
        }
        try {
            Ecrire(QDir(folder_).filePath(SceneFileName(n)), end.Bytes);
        } catch (const Failure& failure) {
            return failure;
        }
        result_.Done << n;
        repliedBytes_ += end.Bytes.size();
        break;
    case Kind::Fetch:
        if (replied)
            result_.Reply = end.Bytes;
        else
            result_.Silent << n;
        break;
    case Kind::Verify:
        result_.Done << n;
        Checked(end, 0);
        break;
    case Kind::Restore:
        // A copy that differs is sent once more, then taken as it is.
        if (phase_ == Phase::Check && !(replied && end.Bytes == scenes_[index_].second)) {
            phase_ = Phase::Resend;
            return {};
        }
        Checked(end, phase_ == Phase::Check ? 1 : 2);
        break;
    }
    SceneOver();
    return {};
}

void DeviceJob::Checked(const ReplyEnd& end, int sends)
{
    SceneCheck check{Number(), end.How == ReplyEnd::Reply, {}, sends};
    if (check.Replied)
        check.Comparison = CompareScenes(scenes_[index_].second, end.Bytes);
    result_.Checks << check;
}

void DeviceJob::SceneOver()
{
    ++index_;
    phase_ = kind_ == Kind::Restore ? Phase::Send : Phase::Check;
}

void DeviceJob::Stop(const Failure& failure)
{
    result_.Stopped = failure.Description;
    result_.StoppedBy = failure.Number;
    result_.StoppedAt = Number();
}

void DeviceJob::Finish()
{
    scenes_.clear();
    index_ = 0;
}

QString DeviceJob::StepText() const
{
    const QString count = u"(%1 of %2)"_s.arg(index_ + 1).arg(scenes_.size());
    const auto differ = std::count_if(result_.Checks.begin(), result_.Checks.end(),
                                      [](const SceneCheck& check) { return !check.Same(); });
    const QString tally = u"\nSame: %1   Differ: %2"_s.arg(result_.Checks.size() - differ).arg(differ);
    const int n = Number();
    switch (kind_) {
    case Kind::Backup:
        return u"Fetching scene %1 %2\nSaved: %3   No reply: %4"_s.arg(n)
            .arg(count)
            .arg(result_.Done.size())
            .arg(result_.Silent.size());
    case Kind::Fetch: return u"Fetching scene %1 from the device…"_s.arg(n);
    case Kind::Verify: return u"Checking scene %1 %2"_s.arg(n).arg(count) + tally;
    case Kind::Restore: break;
    }
    switch (phase_) {
    case Phase::Send: return u"Sending scene %1 %2"_s.arg(n).arg(count) + (readBack_ ? tally : QString());
    case Phase::Check: return u"Reading scene %1 back %2"_s.arg(n).arg(count) + tally;
    case Phase::Resend: return u"Sending scene %1 again: the device's copy differed %2"_s.arg(n).arg(count) + tally;
    case Phase::Recheck: return u"Reading scene %1 back again %2"_s.arg(n).arg(count) + tally;
    }
    return {};
}

DeviceJob::Work DeviceJob::Ahead() const
{
    Work work;
    const qint64 replyGuess = result_.Done.isEmpty() ? 0 : repliedBytes_ / result_.Done.size();
    for (qsizetype i = index_; i < scenes_.size(); ++i) {
        const qint64 size = kind_ == Kind::Backup ? replyGuess : scenes_[i].second.size();
        const Phase from = i == index_ ? phase_ : (kind_ == Kind::Restore ? Phase::Send : Phase::Check);
        const bool store = from == Phase::Send || from == Phase::Resend;
        const bool fetch = kind_ != Kind::Restore || readBack_;
        work.LineBytes += (store ? 3 + size : 0) + (fetch ? 3 + size : 0);
        work.Gaps += store;
        work.Fetches += fetch;
    }
    // The gap after the last frame is waited for by what comes next, not by
    // the job.
    if (kind_ == Kind::Restore && !readBack_ && work.Gaps > 0)
        --work.Gaps;
    return work;
}
