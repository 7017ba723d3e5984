// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/device_session.h"

#include "link/frames.h"
#include "link/job_summary.h"
#include "platform/clock.h"
#include "platform/serial_link.h"

using namespace Qt::StringLiterals;

namespace {

using FailureNumber::DeviceBusy;
using FailureNumber::PortLost;
using FailureNumber::SendCancelled;

}  // namespace

DeviceSession::DeviceSession(SerialLink& port, Clock& clock, ExchangeFields& fields)
    : port_(port), clock_(clock), fields_(fields), drain_(port, clock), pacer_(clock), hold_(port, pacer_)
{
    replyTimer_.setObjectName(u"Timer1"_s);
    replyTimer_.setTimerType(Qt::PreciseTimer);
    connect(&port_, &SerialLink::OnComm, this, &DeviceSession::OnReceive, Qt::QueuedConnection);
    connect(&replyTimer_, &QTimer::timeout, this, &DeviceSession::OnTick);
    connect(&drain_, &FrameDrain::Ended, this, &DeviceSession::FrameLeft);
    connect(&drain_, &FrameDrain::Progressed, this, &DeviceSession::ShowSent);
    connect(&progress_, &WorkProgress::StopWanted, this, &DeviceSession::OnStopWanted);
}

DeviceSession::~DeviceSession()
{
    ShutDown();
    hold_.Close();
}

DeviceSession::Activity DeviceSession::Now() const
{
    switch (mode_) {
    case Mode::Sending: return Activity::Sending;
    case Mode::Job:
        switch (job_.What()) {
        case DeviceJob::Kind::Backup: return Activity::BackingUp;
        case DeviceJob::Kind::Restore: return Activity::Restoring;
        case DeviceJob::Kind::Verify: return Activity::Verifying;
        case DeviceJob::Kind::Fetch: return Activity::Fetching;
        }
        break;
    case Mode::Free: break;
    }
    if (fields_.LastReceiveTime == 0)
        return Activity::Idle;
    return fields_.AwaitingReply ? Activity::Waiting : Activity::Collecting;
}

double DeviceSession::LineSeconds(qint64 count) const
{
    return ::LineSeconds(port_, count);
}

void DeviceSession::RefuseIfBusy() const
{
    if (!Busy())
        return;
    const QString what = mode_ == Mode::Job ? job_.Running() : u"a scene is still being sent"_s;
    throw Failure{DeviceBusy, u"The device is busy: %1. Wait until it is over, then try again."_s.arg(what)};
}

void DeviceSession::Configure(int commPort, const std::optional<QString>& settings)
{
    RefuseIfBusy();
    // A port held for the quiet stays open for the next command on it, so
    // that no other program gets it in between.
    const bool keep = hold_.KeepFor(commPort);
    ReplyRule::Abandon(fields_);
    replyTimer_.stop();
    pacer_.Drop();
    if (!keep)
        port_.SetCommPort(commPort);
    if (settings)
        port_.SetSettings(*settings);
}

void DeviceSession::Receive(int sceneNumber)
{
    RefuseIfBusy();
    fields_.ReceiveBuffer.clear();
    hold_.Take();
    ReplyRule::Abandon(fields_);
    const bool held = pacer_.Hold([this, sceneNumber] {
        try {
            BeginExchange(fields_, sceneNumber);
        } catch (const Failure& failure) {
            WindowExchangeEnded(Failed(fields_, failure.Description));
        }
    });
    if (!held)
        BeginExchange(fields_, sceneNumber);
}

void DeviceSession::BeginExchange(ExchangeFields& fields, int sceneNumber)
{
    ReplyRule::Begin(fields, clock_.Now());
    // Armed for the moment the silence would end, rather than polling: the
    // end is found within a millisecond and an idle session never wakes.
    replyTimer_.start(ReplyRule::MsToSilence(fields, clock_.Now()));
    port_.Output(ReceiveRequestFrame(sceneNumber));
}

void DeviceSession::OnReceive()
{
    if (JobFetching())
        return FetchEnded(Arrival(jobFields_));
    switch (mode_) {
    case Mode::Sending:
    case Mode::Job:
        if (port_.CommEvent() == CommEventCode::PortLost)
            return drain_.PortLost();
        try {
            if (port_.PortOpen())
                port_.Input();  // nothing answers a store frame: not a reply
        } catch (const Failure&) {
            // A failing port shows as lost.
        }
        return;
    case Mode::Free:
        if (hold_.Holding())
            return hold_.Arrived();
        WindowExchangeEnded(Arrival(fields_));
        return;
    }
}

void DeviceSession::OnTick()
{
    ExchangeFields& fields = JobFetching() ? jobFields_ : fields_;
    // After a stall the tick can come before the port's notification of
    // bytes that came in time: what the port holds continues the reply, and
    // what its driver holds is read before the silence is judged.
    bool more = false;
    ReplyEnd end = TakeWaiting(fields, more);
    if (more)
        return replyTimer_.start(1);
    if (end.How == ReplyEnd::Going)
        end = ReplyRule::Look(fields, clock_.Now());
    if (end.How == ReplyEnd::Going && fields.LastReceiveTime != 0) {
        replyTimer_.start(ReplyRule::MsToSilence(fields, clock_.Now()));
        return;
    }
    replyTimer_.stop();
    if (JobFetching())
        FetchEnded(end);
    else
        WindowExchangeEnded(end);
}

ReplyEnd DeviceSession::Arrival(ExchangeFields& fields)
{
    if (port_.CommEvent() == CommEventCode::PortLost) {
        if (fields.LastReceiveTime == 0)
            return {};
        return Failed(fields,
                      u"%1 was lost during the exchange, so no scene was received. Check that the adapter is "
                      "plugged in, then try again."_s.arg(port_.PortName()));
    }
    if (port_.CommEvent() != CommEventCode::Receive || !port_.PortOpen())
        return {};
    try {
        // Bytes a tick has already taken leave nothing for their notification.
        const QByteArray bytes = port_.Input();
        if (bytes.isEmpty())
            return {};
        const ReplyEnd end = ReplyRule::Arrive(fields, bytes, clock_.Now());
        if (end.How == ReplyEnd::Going)
            replyTimer_.start(ReplyRule::MsToSilence(fields, clock_.Now()));
        else
            replyTimer_.stop();
        return end;
    } catch (const Failure& failure) {
        return Failed(fields, failure.Description);
    }
}

ReplyEnd DeviceSession::TakeWaiting(ExchangeFields& fields, bool& more)
{
    more = false;
    if (fields.LastReceiveTime == 0 || !port_.PortOpen())
        return {};
    try {
        const QByteArray waiting = port_.Input();
        if (!waiting.isEmpty())
            return ReplyRule::Arrive(fields, waiting, clock_.Now());
        more = port_.InBufferCount() > 0;
        return {};
    } catch (const Failure& failure) {
        return Failed(fields, failure.Description);
    }
}

ReplyEnd DeviceSession::Failed(ExchangeFields& fields, const QString& why)
{
    ReplyRule::Abandon(fields);
    fields.ReceiveBuffer.clear();
    replyTimer_.stop();
    return {ReplyEnd::Failed, {}, why};
}

void DeviceSession::WindowExchangeEnded(const ReplyEnd& end)
{
    if (end.How == ReplyEnd::Going)
        return;
    // No reply leaves the port open: late bytes start a new collection.
    if (end.How != ReplyEnd::NoReply)
        hold_.Close(false);
    Q_EMIT ReceiveEnded(end);
}

void DeviceSession::Send(int sceneNumber, const QByteArray& frame, SendDone done)
{
    RefuseIfBusy();
    fields_.ReceiveBuffer.clear();
    hold_.Take();
    // A send ends any exchange: the tick has nothing to wait for.
    fields_.AwaitingReply = true;
    fields_.LastReceiveTime = 0;
    replyTimer_.stop();
    frameScene_ = sceneNumber;
    const bool held = pacer_.Hold([this, sceneNumber, frame] {
        try {
            StartFrame(sceneNumber, frame);
        } catch (const Failure& failure) {
            FinishSend(failure);
        }
    });
    try {
        if (!held)
            StartFrame(sceneNumber, frame);
    } catch (const Failure&) {
        hold_.Close(true);
        throw;
    }
    mode_ = Mode::Sending;
    sendDone_ = std::move(done);
    progress_.Begin(frame.size(), {});
    ShowSent(0, frame.size());
    Q_EMIT BusyChanged(true);
}

void DeviceSession::ShowSent(qint64 sent, qint64 total)
{
    // Until the device has taken it: the frame on the line, then the gap.
    if (mode_ != Mode::Sending)
        return;
    const double left = pacer_.Wait() > 0 ? pacer_.Wait() : LineSeconds(total) + pacer_.Gap();
    progress_.Show(sent, SendingText(frameScene_, sent, total, left));
}

void DeviceSession::StartFrame(int sceneNumber, const QByteArray& frame)
{
    frameScene_ = sceneNumber;
    pacer_.Handed(LineSeconds(frame.size()));
    drain_.Start(frame);
}

void DeviceSession::StopFrame()
{
    if (drain_.Draining())
        pacer_.Ended();
    drain_.Stop();
    pacer_.Drop();
}

void DeviceSession::FrameLeft(const std::optional<Failure>& failure)
{
    pacer_.Ended();
    if (mode_ == Mode::Sending)
        return FinishSend(failure);
    if (failure)
        return EndJob(failure);
    const qsizetype index = job_.Index();
    const int n = job_.Number();
    job_.FrameLeft();
    StepTaken(index, n);
}

void DeviceSession::FinishSend(const std::optional<Failure>& failure)
{
    StopFrame();
    // Bytes still queued after a failure must not trickle out.
    hold_.GiveBack(failure.has_value());
    mode_ = Mode::Free;
    progress_.End();
    if (const SendDone done = std::exchange(sendDone_, {}))
        done(failure);
    Q_EMIT BusyChanged(false);
}

void DeviceSession::OnStopWanted()
{
    if (mode_ == Mode::Sending) {
        FinishSend(Failure{SendCancelled, SendCancelledText(frameScene_, !pacer_.Holding())});
    } else if (BetweenScenes()) {
        // The next scene has not started: nothing is in flight to wait for.
        pacer_.Drop();
        NextStep();
    } else if (JobRunning()) {
        ShowStep();
    }
}

void DeviceSession::Run(DeviceJob job)
{
    RefuseIfBusy();
    mode_ = Mode::Job;
    job_ = std::move(job);
    jobFields_ = {};
    progress_.Begin(job_.Total(), {});
    Q_EMIT BusyChanged(true);
    try {
        hold_.Take();
    } catch (const Failure& failure) {
        return EndJob(failure);
    }
    NextStep();
}

void DeviceSession::NextStep()
{
    const DeviceJob::Step step = job_.Next(progress_.StopAsked);
    if (step.Do == DeviceJob::Step::Over)
        return EndJob();
    ShowStep();
    // Asked again once the line is quiet, so that a stop asked for meanwhile
    // is taken before the next scene starts.
    if (pacer_.Hold([this] { NextStep(); }))
        return;
    try {
        if (!port_.PortOpen())
            throw Failure{PortLost,
                          u"%1 was lost. Check the cable and the adapter, then try again."_s.arg(port_.PortName())};
        if (step.Do == DeviceJob::Step::Fetch) {
            port_.Input();  // late bytes for the step before are no reply to this one
            BeginExchange(jobFields_, step.Number);
        } else {
            StartFrame(step.Number, step.Frame);
        }
    } catch (const Failure& failure) {
        EndJob(failure);
    }
}

void DeviceSession::FetchEnded(const ReplyEnd& end)
{
    if (end.How == ReplyEnd::Going)
        return;
    const qsizetype index = job_.Index();
    const int n = job_.Number();
    if (const std::optional<Failure> stopped = job_.Fetched(end))
        return EndJob(stopped);
    StepTaken(index, n);
}

void DeviceSession::StepTaken(qsizetype index, int sceneNumber)
{
    if (job_.Index() > index)
        Q_EMIT SceneEnded(sceneNumber);
    NextStep();
}

void DeviceSession::EndJob(const std::optional<Failure>& stopped)
{
    if (stopped)
        job_.Stop(*stopped);
    job_.Finish();
    replyTimer_.stop();
    StopFrame();
    jobFields_ = {};
    // What was written has left: only a failure leaves bytes not worth sending.
    hold_.GiveBack(stopped.has_value());
    mode_ = Mode::Free;
    progress_.End();
    Q_EMIT BusyChanged(false);
}

void DeviceSession::ShowStep()
{
    const DeviceJob::Work ahead = job_.Ahead();
    const double left = pacer_.Wait() + LineSeconds(ahead.LineBytes) + ahead.Gaps * pacer_.Gap() +
        ahead.Fetches * ReplyRule::SilenceSeconds;
    const QString more = progress_.StopAsked ? StoppingText(u"Cancelled"_s, job_.Number()) : TimeLeft(left);
    progress_.Show(job_.Index(), job_.StepText() + u'\n' + more);
}

void DeviceSession::ShutDown()
{
    replyTimer_.stop();
    const bool busy = Busy();
    StopFrame();
    sendDone_ = {};
    fields_ = ExchangeFields{};
    jobFields_ = {};
    mode_ = Mode::Free;
    hold_.GiveBack(busy);
    progress_.End();
}

bool DeviceSession::BetweenScenes() const
{
    return JobRunning() && pacer_.Holding() && job_.AtSceneStart();
}
