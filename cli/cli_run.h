// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "cli/cli_options.h"
#include "cli/progress_line.h"
#include "link/device_job.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class DeviceSession;
class SerialLink;
struct Failure;

// How the program ends, for scripts.
namespace ExitStatus {
inline constexpr int Done = 0;
inline constexpr int Mismatch = 1;  // no reply where a scene was expected, or a scene differs
inline constexpr int Usage = 2;
inline constexpr int PortProblem = 3;
inline constexpr int FileProblem = 4;  // or files skipped, or an output closed
inline constexpr int Interrupted = 130;
}  // namespace ExitStatus

// The status a failure ends the program with.
int StatusFor(const Failure& failure);

// Runs one command of the command line on the device session, with the
// window's rules and wording: results and summaries on standard output,
// messages (and, on a terminal, a progress line) on standard error.
class CliRun final : public QObject {
    Q_OBJECT
public:
    CliRun(const CliOptions& options, DeviceSession& session, SerialLink& serial);

    // Finished follows, once, with the exit status.
    void Start();
    // Stops after the exchange in flight, as the window's Cancel does; a
    // frame is never cut. The status is then Interrupted.
    void Interrupt();
    // Standard output or error has closed (its reader is gone): stops as an
    // interrupt does, and the status is then FileProblem.
    void OutputClosed();

Q_SIGNALS:
    void Finished(int status);

private:
    void Ports();
    void Send();
    void Receive();
    void Backup();
    void Restore();
    void Verify();
    // Configures the port, runs the job and, once it is over, hands its
    // result to report, which gives the status.
    void RunJob(DeviceJob job, const std::function<int(const JobResult&)>& report);
    // The summary on standard output; a failure or an interrupt that stopped
    // the job first, on standard error. Returns the status they mean.
    int Summarize(const QString& name, const JobResult& job, const std::function<QString(const JobResult&)>& text);
    void Configure();
    // Stops after the exchange in flight; why goes first in what is said.
    void Stop(const QString& why);
    // The status a job that ran to its end gives, but for how it was stopped.
    int StoppedStatus(int status) const;
    // The status of a restore or a verify, with the files it skipped, which
    // are named, and the scenes that differ.
    int FolderStatus(int status, const QStringList& skipped, const QStringList& differ);
    void ShowProgress();
    void SceneEnded(int sceneNumber);
    void Finish(int status);
    void Say(const QString& message);
    void Print(const QString& text);

    CliOptions options_;
    DeviceSession& session_;
    SerialLink& serial_;
    std::optional<ProgressLine> progressLine_;  // on a terminal, unless quiet
    bool interrupted_ = false;
    bool outputClosed_ = false;
    bool finished_ = false;
};
