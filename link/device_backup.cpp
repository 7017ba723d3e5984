// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/device_backup.h"

#include "files/scene_file.h"
#include "link/configure_link.h"
#include "link/device_session.h"
#include "link/link_window.h"
#include "link/scene_list.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString BackupTitle = u"Back Up Device"_s;
const QString RestoreTitle = u"Restore Device"_s;

QString Scenes(qsizetype count)
{
    return count == 1 ? u"1 scene"_s : u"%1 scenes"_s.arg(count);
}

// "number 5" or "numbers 1-3, 7".
QString Numbers(const QList<int>& numbers)
{
    return (numbers.size() == 1 ? u"number "_s : u"numbers "_s) + FormatSceneRanges(numbers);
}

// Starts a job from the window's port choice, then follows it until it is
// over. False when it could not even start (the message is shown).
bool RunJob(LinkWindow& window, const QString& title, const std::function<void(DeviceSession&)>& start)
{
    DeviceSession& session = window.LinkSession();
    try {
        ConfigureLink(window);
        start(session);
    } catch (const Failure& failure) {
        window.Dialogs().MsgBox(failure.Description, MsgBoxStyle::Exclamation, title);
        return false;
    }
    window.Dialogs().FollowProgress(title, session.Progress());
    // Closing the window stops a job as Cancel does; then only a failure is
    // worth a word.
    return !(window.Closing() && session.LastJob().Stopped.isEmpty());
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

QString RestoreSummary(const JobResult& job)
{
    QString summary = u"%1 sent to the device"_s.arg(Scenes(job.Done.size()));
    summary += job.Done.isEmpty() ? u"."_s : u" (%1)."_s.arg(Numbers(job.Done));
    if (!job.Stopped.isEmpty())
        return u"The restore stopped at scene %1: %2\n\n%3"_s.arg(job.StoppedAt).arg(job.Stopped, summary);
    if (job.Cancelled)
        return u"The restore was cancelled between two scenes.\n\n"_s + summary;
    return summary;
}

}  // namespace

void BackupDeviceCommand(LinkWindow& window)
{
    DialogService& dialogs = window.Dialogs();
    const QString answer = dialogs.InputBox(u"Scene numbers to back up"_s, BackupTitle, u"1-255"_s);
    if (answer.isEmpty())
        return;
    const SceneList list = ParseSceneList(answer);
    if (!list.Error.isEmpty()) {
        dialogs.MsgBox(list.Error, MsgBoxStyle::Exclamation, BackupTitle);
        return;
    }
    const QString folder = dialogs.ShowFolder(u"Back up into folder"_s);
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    const QString where = QDir::toNativeSeparators(dir.absolutePath());
    const auto there = std::count_if(list.Numbers.begin(), list.Numbers.end(),
                                     [&](int n) { return dialogs.FileExists(dir.filePath(SceneFileName(n))); });
    if (there > 0 &&
        dialogs.MsgBox(u"%1 of the files for these numbers already in %2 would be replaced. Replace them?"_s.arg(
                           there == 1 ? u"One"_s : QString::number(there), where),
                       MsgBoxStyle::YesNo | MsgBoxStyle::Question, BackupTitle) != MsgBoxResult::Yes)
        return;

    if (!RunJob(window, BackupTitle, [&](DeviceSession& session) { session.BackUp(list.Numbers, dir.absolutePath()); }))
        return;
    const JobResult& job = window.LinkSession().LastJob();
    // A silent number gets no file, so one there now was there before.
    QStringList stale;
    for (const int n : job.Silent) {
        if (dialogs.FileExists(dir.filePath(SceneFileName(n))))
            stale << SceneFileName(n);
    }
    dialogs.MsgBox(BackupSummary(job, where, stale),
                   job.Stopped.isEmpty() ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation, BackupTitle);
}

void RestoreDeviceCommand(LinkWindow& window)
{
    DialogService& dialogs = window.Dialogs();
    const QString folder = dialogs.ShowFolder(u"Restore from folder"_s);
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    const QString where = QDir::toNativeSeparators(dir.absolutePath());
    // By number, whatever order the folder lists its files in.
    static const QRegularExpression sceneFile(u"^scene-(\\d{3})\\.bin$"_s);
    QMap<int, QString> files;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const int n = sceneFile.match(name).captured(1).toInt();
        if (n >= 1 && n <= 255)
            files.insert(n, name);
    }
    QList<std::pair<int, SceneBytes>> scenes;
    QList<int> numbers;
    QStringList skipped;
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        const QString path = dir.filePath(file.value());
        try {
            const SceneBytes bytes = Lire(path);
            if (bytes.isEmpty()) {
                skipped << u"%1 (empty)"_s.arg(file.value());
            } else {
                scenes.append({file.key(), bytes});
                numbers << file.key();
            }
        } catch (const Failure&) {
            const bool large = QFileInfo(path).size() > MaxSceneBytes;
            skipped << u"%1 (%2)"_s.arg(file.value(), large ? u"larger than a scene can be"_s : u"cannot be read"_s);
        }
    }
    const QString skippedText = skipped.isEmpty() ? QString() : u"\n\nSkipped: %1."_s.arg(skipped.join(u", "));
    if (scenes.isEmpty()) {
        dialogs.MsgBox(
            u"There are no scene files to send in %1 (files named scene-001.bin to scene-255.bin)."_s.arg(where) +
                skippedText,
            MsgBoxStyle::Exclamation, RestoreTitle);
        return;
    }
    if (dialogs.MsgBox(u"Send %1 (%2) from %3 to the device on serial port %4? The scenes the device holds "
                       "under those numbers will be replaced."_s.arg(Scenes(scenes.size()), Numbers(numbers), where,
                                                                     window.PortChoice()) +
                           skippedText,
                       MsgBoxStyle::YesNo | MsgBoxStyle::Question, RestoreTitle) != MsgBoxResult::Yes)
        return;

    if (!RunJob(window, RestoreTitle, [&](DeviceSession& session) { session.Restore(scenes); }))
        return;
    const JobResult& job = window.LinkSession().LastJob();
    dialogs.MsgBox(RestoreSummary(job) + skippedText,
                   job.Stopped.isEmpty() ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation, RestoreTitle);
}
