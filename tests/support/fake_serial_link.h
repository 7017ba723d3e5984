#pragma once

#include "platform/serial_link.h"

#include <QStringList>

#include <optional>

// A serial port in memory: records what is done to it ("open", "close",
// "port 3", "settings 38400,n,8,1", "output 21 01 cc") and delivers the
// bytes a test hands it.
class FakeSerialLink final : public SerialLink {
    Q_OBJECT
public:
    QStringList Log;
    QByteArray Written;              // every byte output, in order
    QList<PortDevice> Devices;       // what Ports() lists
    std::optional<QString> OpenFailure;  // set: opening fails with this text
    std::optional<QString> OutputFailure;  // set: writing fails with this text
    qint64 StuckOutput = 0;          // this many written bytes never leave

    bool PortOpen() const override { return open_; }
    void SetPortOpen(bool open) override;
    int CommPort() const override { return port_; }
    void SetCommPort(int port) override;
    QString Settings() const override { return settings_; }
    void SetSettings(const QString& settings) override;
    void Output(const QByteArray& bytes) override;
    QByteArray Input() override;
    qint64 OutBufferCount() const override { return open_ ? StuckOutput : 0; }
    bool Flush(int) override;
    void DiscardOutput() override;
    int CommEvent() const override { return event_; }
    QList<PortDevice> Ports() const override { return Devices; }

    // The device sends bytes: they wait to be read and OnComm is raised.
    void Deliver(const QByteArray& bytes);
    // The device goes away: the port closes and OnComm reports it.
    void Lose();

private:
    bool open_ = false;
    int port_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    int event_ = 0;
    QByteArray waiting_;
};
