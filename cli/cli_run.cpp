// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "cli/cli_run.h"

#include "files/scene_file.h"
#include "files/scene_folder.h"
#include "link/configure_link.h"
#include "link/device_session.h"
#include "link/frames.h"
#include "link/job_summary.h"
#include "platform/console.h"
#include "platform/failure.h"
#include "platform/file_kind.h"
#include "platform/port_devices.h"
#include "platform/serial_link.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cmath>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The device's line: 38400 bits per second, 8N1.
constexpr int DeviceSpeedOption = 4;

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The file's scene, or standard input's for "-", read to its end.
SceneBytes ReadScene(const QString& path)
{
    if (path != u"-")
        return Lire(path);
    UseBinaryMode(stdin);
    const InputRead input = ReadToEnd(stdin, MaxSceneBytes);
    if (!input.Error.isEmpty())
        throw Failure{FailureNumber::FileReadFailed,
                      u"Standard input could not be read (%1), so nothing was sent."_s.arg(input.Error)};
    const SceneBytes& bytes = input.Bytes;
    if (bytes.size() > MaxSceneBytes)
        throw Failure{FailureNumber::FileTooLarge,
                      u"Standard input holds more than a scene can (%1 bytes at most), so nothing was sent."_s.arg(
                          MaxSceneBytes)};
    return bytes;
}

// Writes the scene to the file (beside, then renamed into place), or to
// standard output for "-".
void WriteScene(const QString& path, const SceneBytes& bytes)
{
    if (path != u"-")
        return Ecrire(path, bytes);
    UseBinaryMode(stdout);
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) !=
            static_cast<size_t>(bytes.size()) ||
        std::fflush(stdout) != 0)
        throw Failure{FailureNumber::FileWriteFailed, u"Standard output could not be written."_s};
}

// What became of one scene of a job, for --verbose.
QString SceneOutcome(const JobResult& job, DeviceJob::Kind kind, int n)
{
    const SceneCheck* check = !job.Checks.isEmpty() && job.Checks.last().Number == n ? &job.Checks.last() : nullptr;
    if (check != nullptr && !check->Same())
        return DifferingScenes({*check}, u"file"_s).value(0);
    switch (kind) {
    case DeviceJob::Kind::Backup:
        return job.Silent.contains(n) ? u"Scene %1: no reply"_s.arg(n)
                                      : u"Scene %1: saved in %2"_s.arg(n).arg(SceneFileName(n));
    case DeviceJob::Kind::Restore:
        if (check == nullptr)
            return u"Scene %1: sent"_s.arg(n);
        return check->Sends > 1 ? u"Scene %1: sent twice, the same once read back again"_s.arg(n)
                                : u"Scene %1: sent, the same once read back"_s.arg(n);
    case DeviceJob::Kind::Verify:
    case DeviceJob::Kind::Fetch: break;
    }
    return u"Scene %1: the same"_s.arg(n);
}

// The scene files a restore or a verify reads; a folder with none to
// read is a failure before anything is sent.
JobFolder ReadFolder(const QString& folder, const QString& verb)
{
    JobFolder read = ReadJobFolder(folder, verb);
    if (!read.Refusal.isEmpty())
        throw Failure{FailureNumber::FileReadFailed, read.Refusal};
    return read;
}

}  // namespace

int StatusFor(const Failure& failure)
{
    switch (failure.Number) {
    case FailureNumber::FileNotFound:
    case FailureNumber::FileReadFailed:
    case FailureNumber::FileTooLarge:
    case FailureNumber::FileWriteFailed: return ExitStatus::FileProblem;
    case FailureNumber::ReplyTooLong: return ExitStatus::Mismatch;
    default: return ExitStatus::PortProblem;
    }
}

CliRun::CliRun(const CliOptions& options, DeviceSession& session, SerialLink& serial)
    : options_(options), session_(session), serial_(serial)
{
    if (!options.Quiet && IsTerminal(stderr))
        progressLine_.emplace();
    connect(&session_.Progress(), &WorkProgress::Changed, this, &CliRun::ShowProgress);
    connect(&session_, &DeviceSession::SceneEnded, this, &CliRun::SceneEnded);
}

void CliRun::Start()
{
    try {
        switch (options_.What) {
        case CliOptions::Command::Ports: return Ports();
        case CliOptions::Command::Send: return Send();
        case CliOptions::Command::Receive: return Receive();
        case CliOptions::Command::Backup: return Backup();
        case CliOptions::Command::Restore: return Restore();
        case CliOptions::Command::Verify: return Verify();
        case CliOptions::Command::None: return Finish(ExitStatus::Usage);
        }
    } catch (const Failure& failure) {
        Say(failure.Description);
        Finish(StatusFor(failure));
    }
}

void CliRun::Interrupt()
{
    if (std::exchange(interrupted_, true) || finished_ || outputClosed_)
        return;
    Stop(u"Interrupted"_s);
}

void CliRun::OutputClosed()
{
    if (std::exchange(outputClosed_, true) || finished_ || interrupted_)
        return;
    Stop(u"An output was closed"_s);
}

void CliRun::Stop(const QString& why)
{
    switch (session_.Now()) {
    case DeviceSession::Activity::Sending: Say(why + u": stopping once the scene has left…"_s); break;
    case DeviceSession::Activity::Waiting:
    case DeviceSession::Activity::Collecting:
        // Nothing is written until the reply is whole: dropping it cuts nothing.
        session_.ShutDown();
        Say(why + u": nothing was received."_s);
        Finish(StoppedStatus(ExitStatus::Done));
        break;
    case DeviceSession::Activity::Idle: Finish(StoppedStatus(ExitStatus::Done)); break;
    default:
        // Between two scenes the job ends at once: no scene is named that
        // will not be sent.
        Say(StoppingText(why, session_.BetweenScenes() ? 0 : session_.JobScene()));
        session_.Progress().AskToStop();
        break;
    }
}

int CliRun::StoppedStatus(int status) const
{
    if (interrupted_)
        return ExitStatus::Interrupted;
    return outputClosed_ ? ExitStatus::FileProblem : status;
}

void CliRun::Ports()
{
    const QList<PortDevice> ports = serial_.Ports();
    if (ports.isEmpty())
        Say(u"There are no serial ports on this machine."_s);
    for (const PortDevice& port : ports)
        Print(u"%1\t%2\t%3\n"_s.arg(port.Number).arg(Shown(port.Location), DeviceLabel(port)));
    Finish(ExitStatus::Done);
}

void CliRun::Configure()
{
    session_.Configure(options_.Device.isEmpty() ? options_.Port : 1, SettingsForSpeedOption(DeviceSpeedOption));
}

void CliRun::Send()
{
    const SceneBytes scene = ReadScene(options_.File);
    if (scene.isEmpty())
        throw Failure{FailureNumber::FileReadFailed,
                      u"\"%1\" holds no byte, and a scene needs at least one, so nothing was sent."_s.arg(
                          options_.File == u"-" ? u"Standard input"_s : Shown(options_.File))};
    Configure();
    session_.Send(options_.Scene, SendFrame(options_.Scene, scene), [this](const std::optional<Failure>& failure) {
        if (failure)
            Say(failure->Description);
        Finish(failure && !interrupted_ ? StatusFor(*failure) : StoppedStatus(ExitStatus::Done));
    });
}

void CliRun::Receive()
{
    // Nothing is fetched that could not be written.
    if (options_.File != u"-")
        CheckSceneTarget(options_.File);
    connect(&session_, &DeviceSession::ReceiveEnded, this, [this](const ReplyEnd& end) {
        switch (end.How) {
        case ReplyEnd::Going: return;
        case ReplyEnd::Reply: try { WriteScene(options_.File, end.Bytes);
            } catch (const Failure& failure) {
                Say(failure.Description);
                return Finish(ExitStatus::FileProblem);
            }
            return Finish(StoppedStatus(ExitStatus::Done));
        case ReplyEnd::NoReply: Say(u"Connection Failed"_s); return Finish(ExitStatus::Mismatch);
        case ReplyEnd::TooLong:
            Say(u"The device sent more than a scene can hold (%1 bytes) without pausing, so the reply was "
                "dropped. Check the device and the line, then try again."_s.arg(MaxSceneBytes));
            return Finish(ExitStatus::Mismatch);
        case ReplyEnd::Failed: Say(end.Why); return Finish(ExitStatus::PortProblem);
        }
    });
    Configure();
    session_.Receive(options_.Scene);
}

void CliRun::Backup()
{
    if (KindOf(options_.Folder) == FileKind::UnreadableName)
        throw Failure{FailureNumber::FileWriteFailed, UnreadableNameMessage(options_.Folder)};
    const QDir dir(options_.Folder);
    if (!dir.exists() && !QDir().mkpath(options_.Folder))
        throw Failure{FailureNumber::FileWriteFailed,
                      u"The folder \"%1\" could not be made, so nothing was fetched."_s.arg(Shown(options_.Folder))};
    QStringList there;
    for (const int n : options_.Scenes) {
        if (QFileInfo::exists(dir.filePath(SceneFileName(n))))
            there << SceneFileName(n);
    }
    if (!there.isEmpty() && !options_.Force)
        throw Failure{FailureNumber::FileWriteFailed,
                      u"These files are already in %1 and would be replaced: %2. Nothing was fetched; add --force "
                      "to replace them."_s.arg(Shown(dir.absolutePath()), there.join(u", "))};
    const QString where = Shown(dir.absolutePath());
    RunJob(DeviceJob::Backup(options_.Scenes, dir.absolutePath()), [this, dir, where](const JobResult& job) {
        const int status = Summarize(u"backup"_s, job, [&](const JobResult& shown) {
            QStringList stale;
            for (const int n : job.Silent) {
                if (QFileInfo::exists(dir.filePath(SceneFileName(n))))
                    stale << SceneFileName(n);
            }
            return BackupSummary(shown, where, stale);
        });
        if (status != ExitStatus::Done || !job.Done.isEmpty() || job.Silent.isEmpty())
            return status;
        // Said even with --quiet: a nightly backup that saves nothing must not pass unseen.
        Say(u"No number answered, so nothing was saved. Check that the device is on and connected to %1, "
            "then try again."_s.arg(serial_.PortName()));
        return ExitStatus::Mismatch;
    });
}

void CliRun::Restore()
{
    const JobFolder read = ReadFolder(options_.Folder, u"send"_s);
    const SceneFolder& found = read.Found;
    const QStringList skipped = found.Skipped;
    const bool readBack = !options_.NoVerify;
    RunJob(DeviceJob::Restore(found.Scenes, readBack), [this, readBack, skipped](const JobResult& job) {
        const QStringList differ = readBack ? DifferingScenes(job.Checks, u"file"_s) : QStringList();
        const int status = Summarize(u"restore"_s, job, [&](const JobResult& shown) {
            const QString head = RestoreHead(shown, readBack);
            return (differ.isEmpty() ? head : head + u'\n' + differ.join(u'\n')) + SentAgain(shown);
        });
        return FolderStatus(status, skipped, differ);
    });
}

void CliRun::Verify()
{
    const JobFolder read = ReadFolder(options_.Folder, u"check"_s);
    const SceneFolder& found = read.Found;
    const QString where = read.Where;
    const QStringList skipped = found.Skipped;
    const qsizetype total = found.Scenes.size();
    RunJob(DeviceJob::Verify(found.Scenes), [this, total, where, skipped](const JobResult& job) {
        const QStringList differ = DifferingScenes(job.Checks, u"file"_s);
        const int status = Summarize(u"verify"_s, job, [&](const JobResult& shown) {
            const QString head = VerifyHead(shown, total, where);
            return differ.isEmpty() ? head : head + u'\n' + differ.join(u'\n');
        });
        return FolderStatus(status, skipped, differ);
    });
}

int CliRun::FolderStatus(int status, const QStringList& skipped, const QStringList& differ)
{
    // Files that were not sent or checked make the whole less than it should
    // be, whatever came of the rest.
    if (!skipped.isEmpty())
        Say(u"Skipped: %1."_s.arg(skipped.join(u", ")));
    if (status != ExitStatus::Done)
        return status;
    if (!skipped.isEmpty())
        return ExitStatus::FileProblem;
    return differ.isEmpty() ? status : ExitStatus::Mismatch;
}

void CliRun::RunJob(DeviceJob job, const std::function<int(const JobResult&)>& report)
{
    Configure();
    connect(&session_, &DeviceSession::BusyChanged, this, [this, report](bool busy) {
        if (!busy)
            Finish(report(session_.LastJob()));
    });
    session_.Run(std::move(job));
}

int CliRun::Summarize(const QString& name, const JobResult& job, const std::function<QString(const JobResult&)>& text)
{
    // The summary alone goes to standard output; why the job stopped is a
    // message.
    JobResult shown = job;
    shown.Stopped.clear();
    shown.Cancelled = false;
    if (!job.Stopped.isEmpty())
        Say(u"The %1 stopped at scene %2: %3"_s.arg(name).arg(job.StoppedAt).arg(job.Stopped));
    else if (job.Cancelled && interrupted_)
        Say(u"The %1 was interrupted between two scenes."_s.arg(name));
    else if (job.Cancelled)
        Say(u"The %1 stopped between two scenes, as an output was closed."_s.arg(name));
    Print(text(shown) + u'\n');
    if (!job.Stopped.isEmpty())
        return StatusFor(Failure{job.StoppedBy, job.Stopped});
    return StoppedStatus(ExitStatus::Done);
}

void CliRun::ShowProgress()
{
    if (!progressLine_)
        return;
    const WorkProgress& progress = session_.Progress();
    const QString line =
        progress.Over ? progressLine_->Clear() : progressLine_->Show(progress.Text, TerminalColumns(stderr));
    if (!WriteText(stderr, line))
        OutputClosed();
}

void CliRun::SceneEnded(int sceneNumber)
{
    if (options_.Verbose)
        Say(SceneOutcome(session_.LastJob(), session_.JobKind(), sceneNumber));
}

void CliRun::Finish(int status)
{
    if (std::exchange(finished_, true))
        return;
    // After a store frame the next run may write as soon as this one ends:
    // the line falls quiet first, so that the device tells the frames apart.
    const double quiet = session_.Pacer().Wait();
    if (quiet <= 0)
        return Q_EMIT Finished(status);
    QTimer::singleShot(static_cast<int>(std::ceil(quiet * 1000)), this, [this, status] { Q_EMIT Finished(status); });
}

void CliRun::Say(const QString& message)
{
    // A progress line is cleared first, so that the message stands alone.
    if (!WriteText(stderr, (progressLine_ ? progressLine_->Clear() : QString()) + message + u'\n'))
        return OutputClosed();
    if (progressLine_ && !session_.Progress().Over)
        ShowProgress();
}

void CliRun::Print(const QString& text)
{
    if (!WriteText(stdout, text))
        OutputClosed();
}
