// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "link/device_job.h"
#include "link/exchange.h"
#include "link/frame_drain.h"
#include "link/frame_pacer.h"
#include "link/port_hold.h"
#include "platform/failure.h"
#include "platform/work_progress.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>

class Clock;
class SerialLink;

// The device link's one owner. It alone listens to the port and to the
// reply timer, holds the exchange in progress and knows what is running;
// every command is a request to it. It is driven by the port's and its
// timers' signals: nothing here waits for the device, and it needs no
// window.
class DeviceSession final : public QObject {
    Q_OBJECT
public:
    enum class Activity { Idle, Waiting, Collecting, Sending, BackingUp, Restoring, Verifying, Fetching };
    // Called once when a send is over: with its failure, or none when the
    // frame left whole and the port was closed.
    using SendDone = std::function<void(const std::optional<Failure>&)>;

    // fields are the receive command's ReceiveBuffer, LastReceiveTime and
    // AwaitingReply; they must outlive the session.
    DeviceSession(SerialLink& port, Clock& clock, ExchangeFields& fields);
    ~DeviceSession() override;

    Activity Now() const;
    // A send or a job has the port: requests are refused.
    bool Busy() const { return mode_ != Mode::Free; }
    bool JobRunning() const { return mode_ == Mode::Job; }
    // A send waits for the quiet after the frame before it: nothing of it
    // has gone out yet.
    bool SendHeld() const { return mode_ == Mode::Sending && pacer_.Holding(); }
    // Ends an exchange after a second of silence; runs only while one is in
    // progress.
    QTimer& ReplyTimer() { return replyTimer_; }
    // What a progress dialog follows while a send or a job runs.
    WorkProgress& Progress() { return progress_; }
    // How the latest job ended (or, while it runs, how far it has got),
    // what kind it was and the scene it has in flight.
    const JobResult& LastJob() const { return job_.Result(); }
    DeviceJob::Kind JobKind() const { return job_.What(); }
    int JobScene() const { return job_.Number(); }
    // Seconds the line needs for count bytes at the port's settings.
    double LineSeconds(qint64 count) const;
    // The quiet the line keeps after each store frame: a request made before
    // the gap after the last one has passed is held back until then.
    FramePacer& Pacer() { return pacer_; }

    // Requests. Each throws Failure when it cannot start: busy, or the port
    // refuses what is asked of it.
    // Closes the port, which ends a receive exchange without a word, and
    // sets its number and, if given, its line settings.
    void Configure(int commPort, const std::optional<QString>& settings);
    // Opens the port and writes the fetch frame; ReceiveEnded tells the end.
    void Receive(int sceneNumber);
    // Opens the port and writes the frame; done is called once it has left
    // whole (the port then closed), or has failed or been cancelled through
    // Progress() (what is still queued then dropped).
    void Send(int sceneNumber, const QByteArray& frame, SendDone done);
    // A job over many scenes (a backup, a restore, a verify, a fetch for a
    // comparison), as DeviceJob describes it: the port is opened once, at
    // its start, and closed once, at its end. Progress() follows it; asked
    // to stop, it stops after the scene in flight. LastJob() tells how it
    // ended, a port that cannot be opened included. Each fetch follows the
    // reply rule.
    void Run(DeviceJob job);
    // Drops whatever is going on, without a word, and gives the port back:
    // after a store frame only once the quiet after it has passed.
    void ShutDown();
    // A job is between two scenes, the next one held back until the line is
    // quiet: a stop asked for now ends it at once.
    bool BetweenScenes() const;

    // The port's notification (connected here, queued, so that it runs
    // outside the port's own handler) and the reply timer's tick.
    void OnReceive();
    void OnTick();
    // What gives the port back once the quiet after a frame has passed.
    PortHold& Hold() { return hold_; }

Q_SIGNALS:
    // The receive command's exchange is over: reply, no reply or failure.
    void ReceiveEnded(const ReplyEnd& end);
    // A send or a job took the port, or gave it back.
    void BusyChanged(bool busy);
    // A job is done with a scene; LastJob() tells what came of it.
    void SceneEnded(int sceneNumber);

private:
    enum class Mode { Free, Sending, Job };

    void RefuseIfBusy() const;
    void BeginExchange(ExchangeFields& fields, int sceneNumber);
    // What the port holds, as part of the reply; more: its driver holds more.
    ReplyEnd TakeWaiting(ExchangeFields& fields, bool& more);
    void StartFrame(int sceneNumber, const QByteArray& frame);
    void StopFrame();
    ReplyEnd Arrival(ExchangeFields& fields);
    ReplyEnd Failed(ExchangeFields& fields, const QString& why);
    void WindowExchangeEnded(const ReplyEnd& end);
    void ShowSent(qint64 sent, qint64 total);
    void FrameLeft(const std::optional<Failure>& failure);
    void FinishSend(const std::optional<Failure>& failure);
    void OnStopWanted();
    bool JobFetching() const { return mode_ == Mode::Job && job_.Fetching(); }
    void NextStep();
    // Tells whether the job's step just taken ended the scene before.
    void StepTaken(qsizetype index, int sceneNumber);
    void FetchEnded(const ReplyEnd& end);
    void EndJob(const std::optional<Failure>& stopped = std::nullopt);
    void ShowStep();

    SerialLink& port_;
    Clock& clock_;
    ExchangeFields& fields_;
    QTimer replyTimer_;
    FrameDrain drain_;
    FramePacer pacer_;
    PortHold hold_;
    Mode mode_ = Mode::Free;
    WorkProgress progress_;
    int frameScene_ = 0;  // the scene whose frame is leaving now
    SendDone sendDone_;

    // The job running now, or the latest one, and its own exchange (the
    // receive command's fields stay as they are).
    DeviceJob job_ = DeviceJob::Fetch(0);
    ExchangeFields jobFields_;
};
