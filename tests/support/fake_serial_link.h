// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/failure.h"
#include "platform/line_settings.h"
#include "platform/serial_link.h"

#include <QStringList>

#include <optional>
#include <utility>

// A serial port in memory: logs what is done to it ("open", "close",
// "port 3", "settings 38400,n,8,1", "output 21 01 cc", "discard") and
// delivers the bytes a test hands it.
class FakeSerialLink final : public SerialLink {
    Q_OBJECT
public:
    QStringList Log;
    QByteArray Written;                                 // every byte output, in order
    QList<PortDevice> Devices;                          // what Ports() lists
    std::optional<QString> OpenFailure, OutputFailure;  // set: opening or writing fails with this text
    qint64 StuckOutput = 0;                             // this many written bytes never leave
    bool LoseOnFinish = false;                          // the line hangs up as the last bytes leave
    mutable int Looks = 0;                              // how often the output queue was looked at
    QByteArray InDriver;  // received, but not yet read from the driver: Input() has not got them

    bool PortOpen() const override { return open_; }
    void SetPortOpen(bool open) override
    {
        if (open && OpenFailure)
            throw Failure{FailureNumber::PortOpenFailed, *OpenFailure};
        if (open != open_)
            Log << (open ? QStringLiteral("open") : QStringLiteral("close"));
        open_ = open;
    }
    int CommPort() const override { return port_; }
    QString PortName() const override { return QStringLiteral("Serial port %1").arg(port_); }
    void SetCommPort(int port) override { Need(!open_), Log << QStringLiteral("port %1").arg(port_ = port); }
    QString Settings() const override { return settings_; }
    void SetSettings(const QString& settings) override
    {
        ParseLineSettings(settings);
        Log << QStringLiteral("settings ") + (settings_ = settings);
    }
    void Output(const QByteArray& bytes) override
    {
        Need(open_);
        if (OutputFailure)
            throw Failure{FailureNumber::PortWriteFailed, *OutputFailure};
        Log << QStringLiteral("output ") + QString::fromLatin1(bytes.left(16).toHex(' '));
        Written += bytes;
    }
    QByteArray Input() override { return Need(open_), std::exchange(waiting_, {}); }
    qint64 InBufferCount() const override { return open_ ? waiting_.size() + InDriver.size() : 0; }
    qint64 OutBufferCount() const override { return ++Looks, open_ ? StuckOutput : 0; }
    bool FinishOutput() override { return open_ = open_ && !LoseOnFinish; }
    void DiscardOutput() override { Log << QStringLiteral("discard"), StuckOutput = 0; }
    int CommEvent() const override { return event_; }
    QList<PortDevice> Ports() const override { return Devices; }

    // The device sends bytes: they wait to be read and OnComm is raised.
    void Deliver(const QByteArray& bytes) { waiting_ += bytes, Raise(CommEventCode::Receive); }
    // The device goes away: the port closes and OnComm reports it.
    void Lose() { open_ = false, Raise(CommEventCode::PortLost); }

private:
    static void Need(bool state)
    {
        if (!state)
            throw Failure{FailureNumber::PortNotOpen, QStringLiteral("not possible with the port as it is")};
    }
    void Raise(int event) { event_ = event, Q_EMIT OnComm(); }

    bool open_ = false;
    int port_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    int event_ = 0;
    QByteArray waiting_;
};
