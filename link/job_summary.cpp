// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/job_summary.h"

#include "link/scene_list.h"

#include <QDir>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

QString TimeLeft(double seconds)
{
    const auto whole = static_cast<qint64>(std::ceil(seconds));
    return whole < 90 ? u"About %1 s left."_s.arg(std::max<qint64>(whole, 1))
                      : u"About %1 min left."_s.arg((whole + 59) / 60);
}

QString StoppingText(const QString& why, int sceneInFlight)
{
    if (sceneInFlight == 0)
        return why + u": stopping now, between two scenes."_s;
    return why + u": stopping once scene %1 is over…"_s.arg(sceneInFlight);
}

QString SendingText(int scene, qint64 sent, qint64 total, double secondsLeft)
{
    return u"Sending scene %1 to the device…\n%2 of %3 bytes sent. %4"_s.arg(scene).arg(sent).arg(total).arg(
        TimeLeft(secondsLeft));
}

QString SendCancelledText(int scene, bool started)
{
    if (!started)
        return u"Sending was cancelled before scene %1 went out; the device holds what it held before."_s.arg(scene);
    return u"Sending was cancelled, so the device may hold only part of scene %1. Send it again to store it whole."_s
        .arg(scene);
}

QString Scenes(qsizetype count)
{
    return count == 1 ? u"1 scene"_s : u"%1 scenes"_s.arg(count);
}

QString Numbers(const QList<int>& numbers)
{
    return (numbers.size() == 1 ? u"number "_s : u"numbers "_s) + FormatSceneRanges(numbers);
}

QStringList DifferingScenes(const QList<SceneCheck>& checks, const QString& expected)
{
    QStringList lines;
    for (const SceneCheck& check : checks) {
        if (!check.Replied)
            lines << u"Scene %1: no reply"_s.arg(check.Number);
        else if (!check.Same())
            lines << u"Scene %1: %2"_s.arg(check.Number).arg(DifferenceText(check.Comparison, expected, u"device"_s));
    }
    return lines;
}

JobFolder ReadJobFolder(const QString& folder, const QString& verb)
{
    JobFolder read{ReadSceneFolder(folder), QDir::toNativeSeparators(QDir(folder).absolutePath()), {}, {}};
    if (!read.Found.Skipped.isEmpty())
        read.Skipped = u"\n\nSkipped: %1."_s.arg(read.Found.Skipped.join(u", "));
    if (!read.Found.Problem.isEmpty())
        read.Refusal = read.Found.Problem;
    else if (read.Found.Scenes.isEmpty())
        read.Refusal = u"There are no scene files to %1 in %2 (files named scene-001.bin to scene-255.bin)."_s.arg(
                           verb, read.Where) +
            read.Skipped;
    return read;
}

QString BackupSummary(const JobResult& job, const QString& where, const QStringList& stale)
{
    QString summary = u"%1 saved in %2"_s.arg(Scenes(job.Done.size()), where);
    summary += job.Done.isEmpty() ? u"."_s : u" (%1)."_s.arg(Numbers(job.Done));
    if (!job.Silent.isEmpty())
        summary += u"\nNo reply from %1."_s.arg(Numbers(job.Silent));
    // Such a file holds what an earlier backup found, not what the device
    // holds now.
    if (!stale.isEmpty())
        summary += u"\nLeft from before, not replaced (no reply this time): %1."_s.arg(stale.join(u", "));
    if (!job.Stopped.isEmpty())
        return u"The backup stopped at scene %1: %2\n\n%3"_s.arg(job.StoppedAt).arg(job.Stopped, summary);
    if (job.Cancelled)
        return u"The backup was cancelled.\n\n"_s + summary;
    return summary;
}

QString RestoreHead(const JobResult& job, bool readBack)
{
    QString summary = u"%1 sent to the device"_s.arg(Scenes(job.Done.size()));
    summary += job.Done.isEmpty() ? u"."_s : u" (%1)."_s.arg(Numbers(job.Done));
    if (readBack && !job.Checks.isEmpty()) {
        const QStringList differ = DifferingScenes(job.Checks, u"file"_s);
        summary +=
            u"\n%1 read back: %2"_s.arg(Scenes(job.Checks.size()))
                .arg(differ.isEmpty()
                         ? u"all the same."_s
                         : u"%1 still differ%2:"_s.arg(differ.size()).arg(differ.size() == 1 ? u"s"_s : QString()));
    }
    if (!job.Stopped.isEmpty())
        return u"The restore stopped at scene %1: %2\n\n%3"_s.arg(job.StoppedAt).arg(job.Stopped, summary);
    if (job.Cancelled)
        return u"The restore was cancelled between two scenes.\n\n"_s + summary;
    return summary;
}

QString SentAgain(const JobResult& job)
{
    QList<int> again;
    for (const SceneCheck& check : job.Checks) {
        if (check.Sends > 1 && check.Same())
            again << check.Number;
    }
    return again.isEmpty()
        ? QString()
        : u"\nSent again, as the first copy read back differed, and now the same: %1."_s.arg(Numbers(again));
}

QString VerifyHead(const JobResult& job, qsizetype total, const QString& where)
{
    const QStringList differ = DifferingScenes(job.Checks, u"file"_s);
    QString head = u"%1 of %2 checked against %3: "_s.arg(job.Checks.size()).arg(Scenes(total), where);
    if (differ.isEmpty())
        head += job.Checks.isEmpty() ? u"none."_s : u"all the same."_s;
    else
        head += u"%1 the same, %2 differ%3:"_s.arg(job.Checks.size() - differ.size())
                    .arg(differ.size())
                    .arg(differ.size() == 1 ? u"s"_s : QString());
    if (!job.Stopped.isEmpty())
        head = u"The verify stopped at scene %1: %2\n\n"_s.arg(job.StoppedAt).arg(job.Stopped) + head;
    else if (job.Cancelled)
        head = u"The verify was cancelled.\n\n"_s + head;
    return head;
}
