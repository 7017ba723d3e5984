// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

// A device that a port number stands for.
struct PortDevice {
    int Number = 0;       // the port number the user chooses (1 = first)
    QString Location;     // what the system opens: /dev/ttyUSB0, COM3
    QString Name;         // short name: ttyUSB0, COM3
    QString Description;  // what the device is, for the user (may be empty)
};

// Codes that CommEvent holds when OnComm is raised.
namespace CommEventCode {
inline constexpr int Receive = 2;      // received bytes are waiting
inline constexpr int PortLost = 1101;  // the device went away (adapter unplugged)
}  // namespace CommEventCode

// The serial port the commands talk to the device through. Operations that
// cannot be done throw Failure with a description meant for the user.
class SerialLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialLink() override = default;

    virtual bool PortOpen() const = 0;
    // true opens the port with the current CommPort and Settings; false
    // closes it (closing a closed port does nothing).
    virtual void SetPortOpen(bool open) = 0;

    virtual int CommPort() const = 0;
    // The port as the user names it, for messages: "Serial port 2", or the
    // device itself where one was named instead of a number.
    virtual QString PortName() const = 0;
    // 1 is the first serial port. Refused while the port is open.
    virtual void SetCommPort(int port) = 0;

    // "speed,parity,data bits,stop bits", e.g. "38400,n,8,1". No flow control.
    virtual QString Settings() const = 0;
    virtual void SetSettings(const QString& settings) = 0;

    // Writes the bytes in order. Needs the port open.
    virtual void Output(const QByteArray& bytes) = 0;
    // Takes every byte waiting to be read. Needs the port open.
    virtual QByteArray Input() = 0;

    // Bytes received and not yet taken by Input(), here or in the driver.
    // Those in the driver are read as the event loop runs.
    virtual qint64 InBufferCount() const = 0;
    // Bytes written but not yet on the line (queued here or in the driver).
    // They leave while the event loop runs.
    virtual qint64 OutBufferCount() const = 0;
    // Once OutBufferCount() is 0: lets the few bytes still in the hardware
    // go (a matter of milliseconds) and says whether the line is still
    // there. A far end that hung up while bytes were queued is not seen by
    // the write that queued them; here it is, and the port is then closed
    // and reported lost as when it fails.
    virtual bool FinishOutput() = 0;
    // Drops every byte not yet sent.
    virtual void DiscardOutput() = 0;

    // The code of the latest OnComm notification (CommEventCode).
    virtual int CommEvent() const = 0;

    // The ports that exist now, in port-number order.
    virtual QList<PortDevice> Ports() const = 0;

Q_SIGNALS:
    // Raised on the user-interface thread: with CommEvent Receive as soon as
    // a byte is waiting, with PortLost when the port has gone.
    void OnComm();
};
