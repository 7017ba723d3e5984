// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/device_backup.h"

#include "files/scene_file.h"
#include "link/configure_link.h"
#include "link/exchange.h"
#include "link/frames.h"
#include "link/link_window.h"
#include "link/scene_list.h"
#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "platform/serial_link.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTimer>

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

// Ends the window's own exchange and keeps its handler off the port while
// a device job runs; the port is closed and the window given it back at the
// end, whatever happened.
auto TakePort(LinkWindow& window)
{
    ConfigureLink(window);
    window.Exchange().DeviceJob = true;
    return qScopeGuard([&window] {
        window.Exchange().DeviceJob = false;
        try {
            if (window.Port().PortOpen()) {
                window.Port().DiscardOutput();
                window.Port().SetPortOpen(false);
            }
        } catch (const Failure&) {
            // A port that will not even close has nothing more to lose.
        }
    });
}

// What is left to wait, from how long the steps so far took.
QString TimeLeft(const QElapsedTimer& clock, qsizetype done, qsizetype total)
{
    if (done == 0)
        return {};
    const qint64 seconds = clock.elapsed() * (total - done) / done / 1000;
    return seconds < 90 ? u"About %1 s left."_s.arg(seconds + 1) : u"About %1 min left."_s.arg((seconds + 59) / 60);
}

// One fetch exchange by the receive rule, waited out in an event loop of
// its own. The port is set up from the window as for a receive.
ReplyEnd Fetch(LinkWindow& window, int sceneNumber, ExchangeFields& fields, QTimer& timer)
{
    SerialLink& port = window.Port();
    ConfigureLink(window);
    port.SetPortOpen(true);
    ReplyExchange exchange(fields, port, window.ElapsedClock(), timer);
    QEventLoop loop;
    ReplyEnd end;
    const auto over = [&](ReplyEnd now) {
        if (now.How != ReplyEnd::Going)
            end = std::move(now), loop.quit();
    };
    QObject::connect(
        &port, &SerialLink::OnComm, &loop, [&] { over(exchange.OnArrival()); }, Qt::QueuedConnection);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] { over(exchange.OnTick()); });
    exchange.Start(sceneNumber);
    loop.exec();
    return end;
}

}  // namespace

QString SceneFileName(int sceneNumber)
{
    return u"scene-%1.bin"_s.arg(sceneNumber, 3, 10, QChar(u'0'));
}

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

    QList<int> saved, silent;
    QString stopped;
    qsizetype next = 0;
    QElapsedTimer clock;
    clock.start();
    const auto status = [&] {
        return u"Fetching scene %1 (%2 of %3)\nSaved: %4   No reply: %5\n%6"_s.arg(list.Numbers[next])
            .arg(next + 1)
            .arg(list.Numbers.size())
            .arg(saved.size())
            .arg(silent.size())
            .arg(TimeLeft(clock, next, list.Numbers.size()));
    };
    bool finished = false;
    try {
        const auto port = TakePort(window);
        ExchangeFields fields;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        const auto step = [&] {
            const int n = list.Numbers[next];
            const ReplyEnd end = Fetch(window, n, fields, timer);
            if (end.How == ReplyEnd::TooLong) {
                throw Failure{FailureNumber::PortOpenFailed,
                              u"The device sent more than a scene can hold (%1 bytes) without pausing. Check the "
                              "device and the line."_s.arg(MaxSceneBytes)};
            }
            if (end.How == ReplyEnd::Failed)
                throw Failure{FailureNumber::PortOpenFailed, end.Why};
            if (end.How == ReplyEnd::Reply) {
                Ecrire(dir.filePath(SceneFileName(n)), end.Bytes);
                saved << n;
            } else {
                silent << n;
            }
            return ++next < list.Numbers.size();
        };
        finished = dialogs.RunSteps(BackupTitle, static_cast<int>(list.Numbers.size()), step, status);
    } catch (const Failure& failure) {
        stopped = failure.Description;
    }

    QString summary = u"%1 saved in %2"_s.arg(Scenes(saved.size()), where);
    summary += saved.isEmpty() ? u"."_s : u" (%1)."_s.arg(Numbers(saved));
    if (!silent.isEmpty())
        summary += u"\nNo reply from %1."_s.arg(Numbers(silent));
    if (!stopped.isEmpty()) {
        summary = u"The backup stopped at scene %1: %2\n\n%3"_s.arg(list.Numbers[next]).arg(stopped, summary);
    } else if (!finished) {
        summary = u"The backup was cancelled.\n\n"_s + summary;
    }
    dialogs.MsgBox(summary, stopped.isEmpty() ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation, BackupTitle);
}

void RestoreDeviceCommand(LinkWindow& window)
{
    DialogService& dialogs = window.Dialogs();
    const QString folder = dialogs.ShowFolder(u"Restore from folder"_s);
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    const QString where = QDir::toNativeSeparators(dir.absolutePath());
    static const QRegularExpression sceneFile(u"^scene-(\\d{3})\\.bin$"_s);
    QList<std::pair<int, SceneBytes>> scenes;
    QStringList skipped;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        const int n = sceneFile.match(name).captured(1).toInt();
        if (n < 1 || n > 255)
            continue;
        try {
            const SceneBytes bytes = Lire(dir.filePath(name));
            if (bytes.isEmpty())
                skipped << u"%1 (empty)"_s.arg(name);
            else
                scenes.append({n, bytes});
        } catch (const Failure&) {
            const bool large = QFileInfo(dir.filePath(name)).size() > MaxSceneBytes;
            skipped << u"%1 (%2)"_s.arg(name, large ? u"larger than a scene can be"_s : u"cannot be read"_s);
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
    QList<int> numbers;
    for (const auto& scene : scenes)
        numbers << scene.first;
    if (dialogs.MsgBox(u"Send %1 (%2) from %3 to the device on serial port %4? The scenes the device holds "
                       "under those numbers will be replaced."_s.arg(Scenes(scenes.size()), Numbers(numbers), where,
                                                                     window.PortChoice()) +
                           skippedText,
                       MsgBoxStyle::YesNo | MsgBoxStyle::Question, RestoreTitle) != MsgBoxResult::Yes)
        return;

    QList<int> sent;
    QString stopped;
    bool finished = false;
    QElapsedTimer clock;
    clock.start();
    const auto status = [&] {
        return u"Sending scene %1 (%2 of %3)\n%4"_s.arg(scenes[sent.size()].first)
            .arg(sent.size() + 1)
            .arg(scenes.size())
            .arg(TimeLeft(clock, sent.size(), scenes.size()));
    };
    try {
        const auto port = TakePort(window);
        const auto step = [&] {
            const auto& [n, bytes] = scenes[sent.size()];
            ConfigureLink(window);
            window.Port().SetPortOpen(true);
            WriteWhole(window, SendFrame(n, bytes), n, false);
            window.Port().SetPortOpen(false);
            sent << n;
            return sent.size() < scenes.size();
        };
        finished = dialogs.RunSteps(RestoreTitle, static_cast<int>(scenes.size()), step, status);
    } catch (const Failure& failure) {
        stopped = failure.Description;
    }

    QString summary = u"%1 sent to the device"_s.arg(Scenes(sent.size()));
    summary += sent.isEmpty() ? u"."_s : u" (%1)."_s.arg(Numbers(sent));
    if (!stopped.isEmpty())
        summary = u"The restore stopped at scene %1: %2\n\n%3"_s.arg(scenes[sent.size()].first).arg(stopped, summary);
    else if (!finished)
        summary = u"The restore was cancelled between two scenes.\n\n"_s + summary;
    dialogs.MsgBox(summary + skippedText, stopped.isEmpty() ? MsgBoxStyle::Information : MsgBoxStyle::Exclamation,
                   RestoreTitle);
}
