// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "support/scripted_device.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

constexpr double BytesPerSecond = 3840;  // 38400 bits a second, ten bits a byte
constexpr int PollMs = 1;
// A late look at the line finds all it carried meanwhile (a UART does not
// wait for its reader), up to a second's worth.
constexpr double LargestBacklog = BytesPerSecond;

}  // namespace

Device::Device(Pty& pty) : pty_(pty), notifier_(pty.MasterFd(), QSocketNotifier::Read)
{
    since_.start();
    connect(&notifier_, &QSocketNotifier::activated, this, [this] { Read(-1); });
    quiet_.setTimerType(Qt::PreciseTimer);
    connect(&quiet_, &QTimer::timeout, this, &Device::Poll);
}

void Device::ReadAtLineSpeed(bool on)
{
    lineSpeed_ = on;
    lastPoll_ = since_.nsecsElapsed() / 1e9;
    inCredit_ = outCredit_ = 0;
    notifier_.setEnabled(!on && !paused_ && pty_.IsOpen());
    quiet_.setSingleShot(!on);
    if (on)
        quiet_.start(PollMs);
}

void Device::Pause(bool paused)
{
    paused_ = paused;
    notifier_.setEnabled(!paused && !lineSpeed_ && pty_.IsOpen());
}

void Device::Read(qsizetype most)
{
    if (paused_ || !pty_.IsOpen())
        return;
    char buffer[4096];
    const auto size = static_cast<size_t>(most < 0 ? qsizetype(sizeof buffer) : std::min<qsizetype>(most, 4096));
    const ssize_t n = size == 0 ? 0 : ::read(pty_.MasterFd(), buffer, size);
    if (n < 0 && errno == EIO)  // the program closed the port
        notifier_.setEnabled(false);
    if (n <= 0)
        return;
    received_ += n;
    lastByte_ = since_.nsecsElapsed() / 1e9;
    if (!lineSpeed_)
        quiet_.start(QuietMs);
    Take(QByteArray(buffer, n));
    if (HangUpAfter >= 0 && received_ >= HangUpAfter) {
        notifier_.setEnabled(false);
        pty_.HangUp();
    }
}

void Device::Take(const QByteArray& bytes)
{
    for (const char byte : bytes) {
        frame_ += byte;
        if (frame_.size() == 3 && frame_[0] == '\x2c' && frame_[2] == '\xcc') {
            const int number = static_cast<unsigned char>(frame_[1]);
            frame_.clear();
            Fetch(number);
        }
    }
}

void Device::Fetch(int number)
{
    Fetched << number;
    if (number == HangUpAtFetch) {
        notifier_.setEnabled(false);
        pty_.HangUp();
        return;
    }
    if (OnFetch)
        OnFetch(number);
    int at = 0;
    for (const auto& [pauseMs, bytes] : Replies.value(number)) {
        QTimer::singleShot(at += pauseMs, this, [this, bytes = bytes] {
            if (lineSpeed_)
                replying_ += bytes;
            else
                pty_.Write(bytes);
        });
    }
}

// At line speed: takes what the line has carried since the last look, and
// sends as much of a reply; each way has its own line.
void Device::Poll()
{
    const double now = since_.nsecsElapsed() / 1e9;
    const qsizetype before = received_;
    if (lineSpeed_) {
        const double carried = (now - lastPoll_) * BytesPerSecond;
        lastPoll_ = now;
        inCredit_ = std::min(inCredit_ + carried, LargestBacklog);
        outCredit_ = std::min(outCredit_ + carried, LargestBacklog);
        const auto most = static_cast<qsizetype>(inCredit_);
        Read(most);
        // A line with nothing to carry owes nothing later.
        inCredit_ = received_ - before < most ? 0 : inCredit_ - static_cast<double>(most);
        const qsizetype out = std::min(static_cast<qsizetype>(outCredit_), replying_.size());
        if (out > 0 && pty_.IsOpen()) {
            const ssize_t n = ::write(pty_.MasterFd(), replying_.constData(), static_cast<size_t>(out));
            replying_.remove(0, std::max<qsizetype>(n, 0));
        }
        outCredit_ = replying_.isEmpty() ? 0 : outCredit_ - static_cast<double>(out);
        if (received_ == before && !paused_ && now - lastByte_ >= QuietMs / 1000.0)
            EndFrame();
        return;
    }
    // Not at line speed, the timer is the quiet itself: bytes that came
    // meanwhile continue the frame, and a paused device has not seen the
    // line fall quiet.
    Read(-1);
    if (paused_)
        quiet_.start(QuietMs);
    else if (received_ == before)
        EndFrame();
}

void Device::EndFrame()
{
    if (!frame_.isEmpty())
        Frames << std::exchange(frame_, {});
}
