#include "support/fake_serial_link.h"

#include "platform/failure.h"
#include "platform/line_settings.h"

#include <utility>

void FakeSerialLink::SetPortOpen(bool open)
{
    if (!open) {
        if (open_)
            Log << QStringLiteral("close");
        open_ = false;
        return;
    }
    if (open_)
        throw Failure{FailureNumber::PortAlreadyOpen, QStringLiteral("already open")};
    if (OpenFailure) {
        Log << QStringLiteral("open failed");
        throw Failure{FailureNumber::PortOpenFailed, *OpenFailure};
    }
    Log << QStringLiteral("open");
    open_ = true;
    waiting_.clear();
}

void FakeSerialLink::SetCommPort(int port)
{
    if (open_)
        throw Failure{FailureNumber::PortAlreadyOpen, QStringLiteral("port number set while open")};
    Log << QStringLiteral("port %1").arg(port);
    port_ = port;
}

void FakeSerialLink::SetSettings(const QString& settings)
{
    ParseLineSettings(settings);
    Log << QStringLiteral("settings ") + settings;
    settings_ = settings;
}

void FakeSerialLink::Output(const QByteArray& bytes)
{
    if (!open_)
        throw Failure{FailureNumber::PortNotOpen, QStringLiteral("output while closed")};
    if (OutputFailure)
        throw Failure{FailureNumber::PortWriteFailed, *OutputFailure};
    Log << QStringLiteral("output ") + QString::fromLatin1(bytes.left(16).toHex(' '));
    Written += bytes;
}

bool FakeSerialLink::Flush(int)
{
    if (!open_)
        throw Failure{FailureNumber::PortNotOpen, QStringLiteral("flush while closed")};
    return StuckOutput == 0;
}

void FakeSerialLink::DiscardOutput()
{
    Log << QStringLiteral("discard");
    StuckOutput = 0;
}

QByteArray FakeSerialLink::Input()
{
    if (!open_)
        throw Failure{FailureNumber::PortNotOpen, QStringLiteral("input while closed")};
    return std::exchange(waiting_, {});
}

void FakeSerialLink::Deliver(const QByteArray& bytes)
{
    waiting_ += bytes;
    event_ = CommEventCode::Receive;
    Q_EMIT OnComm();
}

void FakeSerialLink::Lose()
{
    open_ = false;
    event_ = CommEventCode::PortLost;
    Q_EMIT OnComm();
}
