// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/line_settings.h"
#include "platform/serial_link.h"

#include <QSerialPort>

#include <functional>

// Why a port could not be opened, as far as the user can act on it.
enum class OpenProblem { NotFound, NoAccess, InUse, Other };

// What to tell the user when port ("Serial port 2 (ttyUSB0)") at location
// cannot be opened; why is the system's own wording, for Other. An empty
// location: port names the device itself.
QString OpenFailureMessage(const QString& port, const QString& location, OpenProblem problem, const QString& why);

// SerialLink on Qt Serial Port. Port n is COMn on Windows; elsewhere it is
// the n-th serial port the system lists, in natural order of device name.
class QtSerialLink final : public SerialLink {
    Q_OBJECT
public:
    // Lists the devices behind the port numbers; asked afresh at every open,
    // so an adapter plugged in meanwhile is found.
    using PortLister = std::function<QList<PortDevice>()>;

    explicit QtSerialLink(PortLister lister = SystemSerialPorts, QObject* parent = nullptr);
    ~QtSerialLink() override;

    bool PortOpen() const override;
    void SetPortOpen(bool open) override;
    int CommPort() const override;
    QString PortName() const override;
    // Port 1 is this device, named by the user: messages name it so.
    void NameByDevice(const QString& location) { givenDevice_ = location; }
    void SetCommPort(int port) override;
    QString Settings() const override;
    void SetSettings(const QString& settings) override;
    void Output(const QByteArray& bytes) override;
    QByteArray Input() override;
    qint64 InBufferCount() const override;
    qint64 OutBufferCount() const override;
    bool FinishOutput() override;
    void DiscardOutput() override;
    int CommEvent() const override;
    QList<PortDevice> Ports() const override;

    // The serial ports of this machine, numbered as the user chooses them.
    static QList<PortDevice> SystemSerialPorts();

private:
    void Open();
    void ApplySettings();
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    void Lose();
    QString PortLabel() const;
    qint64 DriverOutputQueue() const;
    qint64 DriverInputQueue() const;

    PortLister lister_;
    QSerialPort port_;
    int commPort_ = 1;
    QString settingsText_;
    LineSettings settings_;
    int commEvent_ = 0;
    PortDevice device_;    // the device open now, or last opened
    QString givenDevice_;  // the device the user named, if any
};
