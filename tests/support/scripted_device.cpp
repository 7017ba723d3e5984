// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "support/scripted_device.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>

ScriptedDevice::ScriptedDevice(Pty& pty) : pty_(pty), notifier_(pty.MasterFd(), QSocketNotifier::Read)
{
    connect(&notifier_, &QSocketNotifier::activated, this, &ScriptedDevice::OnReadable);
}

bool ScriptedDevice::WaitForBytes(qsizetype count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (Received.size() < count && !deadline.hasExpired())
        QTest::qWait(5);
    return Received.size() >= count;
}

void ScriptedDevice::OnReadable()
{
    if (!pty_.IsOpen()) {
        notifier_.setEnabled(false);
        return;
    }
    Received += pty_.ReadAvailable();
    if (HangUpAfterReceiving >= 0 && Received.size() >= HangUpAfterReceiving) {
        HangUp();
        return;
    }
    // A store frame (21 n CC …) runs to the end of what has come; a fetch
    // frame is exactly 2C n CC.
    while (scanned_ + 3 <= Received.size()) {
        const auto at = [this](qsizetype i) { return static_cast<unsigned char>(Received[i]); };
        if (at(scanned_) == 0x2C && at(scanned_ + 2) == 0xCC) {
            Fetches << at(scanned_ + 1);
            scanned_ += 3;
            if (!StreamChunk.isEmpty() && !stream_) {
                stream_ = new QTimer(this);
                connect(stream_, &QTimer::timeout, this, [this] { Streamed += pty_.WriteSome(StreamChunk); });
                stream_->start(1);
            } else if (!Reply.isEmpty())
                QTimer::singleShot(Reply.first().DelayMs, this, [this] { SendBurst(0); });
        } else if (at(scanned_) == 0x21) {
            scanned_ = Received.size();
        } else {
            ++scanned_;
        }
    }
}

void ScriptedDevice::HangUp()
{
    notifier_.setEnabled(false);
    if (stream_)
        stream_->stop();
    pty_.CloseSlave();
    pty_.CloseMaster();
}

void ScriptedDevice::SendBurst(int index)
{
    QByteArray bytes = Reply[index].Bytes;
    if (HangUpAfter >= 0 && sent_ + bytes.size() >= HangUpAfter) {
        bytes.truncate(HangUpAfter - sent_);
        pty_.Write(bytes);
        HangUp();
        return;
    }
    pty_.Write(bytes);
    sent_ += bytes.size();
    if (index + 1 < Reply.size())
        QTimer::singleShot(Reply[index + 1].DelayMs, this, [this, index] { SendBurst(index + 1); });
    else
        Q_EMIT ReplySent();
}
