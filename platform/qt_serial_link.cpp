// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/qt_serial_link.h"

#include "platform/failure.h"
#include "platform/port_devices.h"

#include <QSerialPortInfo>

#include <algorithm>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif
#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_UNIX
// Whether the line has hung up: the device, or the other end, is gone.
// Asked with select(), since macOS's poll() takes no devices (it answers
// POLLNVAL for every port): a line that is ready to read with nothing to
// read, or that cannot say how much it holds, has reached its end.
bool HungUp(int fd)
{
    if (fd >= FD_SETSIZE)
        return false;  // beyond select(); a lost line still shows at the next read or write
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(fd, &ready);
    timeval now = {};
    int queued = 0;
    return ::select(fd + 1, &ready, nullptr, nullptr, &now) == 1 &&
        (::ioctl(fd, FIONREAD, &queued) != 0 || queued == 0);
}
#endif

QSerialPort::Parity ToQt(LineSettings::Parity parity)
{
    switch (parity) {
    case LineSettings::Parity::None: return QSerialPort::NoParity;
    case LineSettings::Parity::Even: return QSerialPort::EvenParity;
    case LineSettings::Parity::Odd: return QSerialPort::OddParity;
    case LineSettings::Parity::Mark: return QSerialPort::MarkParity;
    case LineSettings::Parity::Space: return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(LineSettings::StopBits stop)
{
    switch (stop) {
    case LineSettings::StopBits::One: return QSerialPort::OneStop;
    case LineSettings::StopBits::OneAndHalf: return QSerialPort::OneAndHalfStop;
    case LineSettings::StopBits::Two: return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

// A pseudo-terminal has no real line: some settings are refused there with
// "invalid argument" although the bytes pass all the same.
bool IsPseudoTerminal(const QString& location)
{
#ifdef Q_OS_UNIX
    return location.startsWith(u"/dev/pts/") || location.startsWith(u"/dev/pty");
#else
    Q_UNUSED(location);
    return false;
#endif
}

// Lock files and exclusive opens are reported as PermissionError just like a
// missing access right; the device node's own permissions tell them apart.
bool LacksAccess([[maybe_unused]] const QString& location)
{
#ifdef Q_OS_UNIX
    const QByteArray path = location.toLocal8Bit();
    return ::access(path.constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM);
#else
    return false;
#endif
}

}  // namespace

QString OpenFailureMessage(const QString& port, const QString& location, OpenProblem problem, const QString& why)
{
    switch (problem) {
    case OpenProblem::NotFound:
        if (location.isEmpty())
            return u"%1 cannot be opened: it was not found. Check that the adapter is plugged in."_s.arg(port);
        return u"%1 cannot be opened: the device %2 was not found. Check that the adapter is plugged in."_s.arg(
            port, location);
    case OpenProblem::NoAccess:
        if (location.isEmpty())
            return u"%1 cannot be opened: permission denied. Your user account needs read and write access to it."_s
                .arg(port);
#ifdef Q_OS_LINUX
        return u"%1 cannot be opened: permission denied. Your user account needs access to %2; on Debian, add it "
               "to the dialout group (sudo adduser $USER dialout), then log out and in again."_s.arg(port, location);
#else
        return u"%1 cannot be opened: permission denied. Your user account needs read and write access to %2."_s.arg(
            port, location);
#endif
    case OpenProblem::InUse: return u"%1 is in use by another program. Close that program, then try again."_s.arg(port);
    case OpenProblem::Other: break;
    }
    return u"%1 cannot be opened: %2."_s.arg(port, InSentence(why));
}

QtSerialLink::QtSerialLink(PortLister lister, QObject* parent)
    : SerialLink(parent), lister_(std::move(lister)), settingsText_(u"9600,n,8,1"_s)
{
    settings_ = ParseLineSettings(settingsText_);
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialLink::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialLink::OnError);
}

QtSerialLink::~QtSerialLink()
{
    port_.close();
}

bool QtSerialLink::PortOpen() const
{
    return port_.isOpen();
}

void QtSerialLink::SetPortOpen(bool open)
{
    if (!open) {
        port_.close();
        return;
    }
    if (port_.isOpen())
        throw Failure{FailureNumber::PortAlreadyOpen, u"%1 is already open."_s.arg(PortLabel())};
    Open();
}

int QtSerialLink::CommPort() const
{
    return commPort_;
}

void QtSerialLink::SetCommPort(int port)
{
    if (port_.isOpen())
        throw Failure{FailureNumber::PortAlreadyOpen,
                      u"The port number cannot change while %1 is open."_s.arg(PortLabel())};
    if (port < 1 || port > 255)
        throw Failure{FailureNumber::InvalidPortNumber,
                      u"%1 is not a serial port number; choose 1 to 255."_s.arg(port)};
    commPort_ = port;
}

QString QtSerialLink::Settings() const
{
    return settingsText_;
}

void QtSerialLink::SetSettings(const QString& settings)
{
    const LineSettings parsed = ParseLineSettings(settings);
    settings_ = parsed;
    settingsText_ = settings;
    if (port_.isOpen())
        ApplySettings();
}

void QtSerialLink::Output(const QByteArray& bytes)
{
    if (!port_.isOpen())
        throw Failure{FailureNumber::PortNotOpen, u"The serial port is not open, so nothing can be written."_s};
    const qint64 queued = port_.write(bytes);
    if (queued != bytes.size()) {
        throw Failure{FailureNumber::PortWriteFailed,
                      u"Writing to %1 failed: %2."_s.arg(PortLabel(), InSentence(port_.errorString()))};
    }
}

QByteArray QtSerialLink::Input()
{
    if (!port_.isOpen())
        throw Failure{FailureNumber::PortNotOpen, u"The serial port is not open, so nothing can be read."_s};
    return port_.readAll();
}

qint64 QtSerialLink::InBufferCount() const
{
    if (!port_.isOpen())
        return 0;
    return port_.bytesAvailable() + DriverInputQueue();
}

qint64 QtSerialLink::OutBufferCount() const
{
    if (!port_.isOpen())
        return 0;
    return port_.bytesToWrite() + DriverOutputQueue();
}

bool QtSerialLink::FinishOutput()
{
    if (!port_.isOpen())
        return false;
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(port_.handle());
    ::tcdrain(fd);  // what is left in the UART
    if (HungUp(fd)) {
        Lose();
        return false;
    }
#elif defined(Q_OS_WIN)
    // Qt's queue is empty, but the driver may still hold the end of the
    // frame, and closing the port would cut it off: wait until it is sent.
    // A driver that cannot flush says so, and has nothing held back.
    if (!::FlushFileBuffers(port_.handle())) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_INVALID_FUNCTION && error != ERROR_NOT_SUPPORTED) {
            Lose();
            return false;
        }
    }
#endif
    return true;
}

void QtSerialLink::DiscardOutput()
{
    if (port_.isOpen())
        port_.clear(QSerialPort::Output);
}

qint64 QtSerialLink::DriverOutputQueue() const
{
#ifdef Q_OS_UNIX
    int queued = 0;
    if (port_.isOpen() && ::ioctl(static_cast<int>(port_.handle()), TIOCOUTQ, &queued) == 0)
        return queued;
#endif
    return 0;
}

// Read by Qt only when its notification comes round; reading them here
// instead would leave that notification an empty read, which Qt takes for
// a lost port.
qint64 QtSerialLink::DriverInputQueue() const
{
#if defined(Q_OS_UNIX)
    int queued = 0;
    if (port_.isOpen() && ::ioctl(static_cast<int>(port_.handle()), FIONREAD, &queued) == 0)
        return queued;
#elif defined(Q_OS_WIN)
    COMSTAT status = {};
    DWORD errors = 0;
    if (port_.isOpen() && ::ClearCommError(port_.handle(), &errors, &status))
        return status.cbInQue;
#endif
    return 0;
}

int QtSerialLink::CommEvent() const
{
    return commEvent_;
}

QList<PortDevice> QtSerialLink::Ports() const
{
    return lister_();
}

QList<PortDevice> QtSerialLink::SystemSerialPorts()
{
    QList<PortDevice> devices;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        PortDevice device;
        device.Location = info.systemLocation();
        device.Name = info.portName();
        QStringList about;
        if (!info.description().isEmpty())
            about << info.description();
        if (!info.manufacturer().isEmpty() && !info.description().contains(info.manufacturer()))
            about << info.manufacturer();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            about << u"USB %1:%2"_s.arg(info.vendorIdentifier(), 4, 16, QChar(u'0'))
                         .arg(info.productIdentifier(), 4, 16, QChar(u'0'));
        }
        device.Description = about.join(u", ");
        devices << device;
    }
#ifdef Q_OS_WIN
    // Port n is COMn: the number is in the name.
    for (PortDevice& device : devices) {
        if (device.Name.startsWith(u"COM", Qt::CaseInsensitive))
            device.Number = device.Name.mid(3).toInt();
    }
    std::sort(devices.begin(), devices.end(),
              [](const PortDevice& a, const PortDevice& b) { return a.Number < b.Number; });
    return devices;
#elif defined(Q_OS_MACOS)
    return NumberInNaturalOrder(CalloutDevicesOnly(devices));
#else
    return NumberInNaturalOrder(devices);
#endif
}

void QtSerialLink::Open()
{
    const QList<PortDevice> devices = lister_();
    const PortDevice* found = nullptr;
    for (const PortDevice& device : devices) {
        if (device.Number == commPort_) {
            found = &device;
            break;
        }
    }
#ifdef Q_OS_WIN
    PortDevice unlisted{commPort_, u"COM%1"_s.arg(commPort_), u"COM%1"_s.arg(commPort_), {}};
    if (!found)
        found = &unlisted;  // the system may open a COM port that it did not list
#endif
    if (!found)
        throw Failure{FailureNumber::InvalidPortNumber, NoSuchPortMessage(devices, commPort_)};

    device_ = *found;
    port_.setPortName(device_.Location);
    port_.setBaudRate(settings_.BaudRate);
    port_.setDataBits(static_cast<QSerialPort::DataBits>(settings_.DataBits));
    port_.setParity(ToQt(settings_.ParityBit));
    port_.setStopBits(ToQt(settings_.Stop));
    port_.setFlowControl(QSerialPort::NoFlowControl);

    if (!port_.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = port_.error();
        const QString why = port_.errorString();
        port_.clearError();
        OpenProblem problem = OpenProblem::Other;
        if (error == QSerialPort::DeviceNotFoundError)
            problem = OpenProblem::NotFound;
        else if (error == QSerialPort::PermissionError)
            problem = LacksAccess(device_.Location) ? OpenProblem::NoAccess : OpenProblem::InUse;
        else if (error == QSerialPort::OpenError)
            problem = OpenProblem::InUse;
        throw Failure{
            FailureNumber::PortOpenFailed,
            OpenFailureMessage(PortLabel(), givenDevice_.isEmpty() ? device_.Location : QString(), problem, why)};
    }
    // Bytes left in the driver from an earlier exchange must not be read as
    // the start of a new reply.
    port_.clear(QSerialPort::Input);
    commEvent_ = 0;
}

void QtSerialLink::ApplySettings()
{
    const bool applied = port_.setBaudRate(settings_.BaudRate) &&
        port_.setDataBits(static_cast<QSerialPort::DataBits>(settings_.DataBits)) &&
        port_.setParity(ToQt(settings_.ParityBit)) && port_.setStopBits(ToQt(settings_.Stop));
    if (applied)
        return;
    const QString why = port_.errorString();
    port_.clearError();
    if (IsPseudoTerminal(device_.Location))
        return;
    throw Failure{FailureNumber::InvalidPropertyValue,
                  u"%1 does not accept the line settings %2: %3."_s.arg(PortLabel(), settingsText_, InSentence(why))};
}

void QtSerialLink::OnReadyRead()
{
    commEvent_ = CommEventCode::Receive;
    Q_EMIT OnComm();
}

void QtSerialLink::OnError(QSerialPort::SerialPortError error)
{
    // An unplugged adapter shows as a resource error; a line whose far end
    // has hung up as a read or write error, which Qt repeats for as long as
    // the port stays open.
    const bool lost =
        error == QSerialPort::ResourceError || error == QSerialPort::ReadError || error == QSerialPort::WriteError;
    if (lost && port_.isOpen())
        Lose();
}

// Closes once, so nothing keeps polling a dead descriptor, and reports it
// after Qt's own error handling has returned.
void QtSerialLink::Lose()
{
    port_.close();
    QMetaObject::invokeMethod(
        this,
        [this] {
            commEvent_ = CommEventCode::PortLost;
            Q_EMIT OnComm();
        },
        Qt::QueuedConnection);
}

QString QtSerialLink::PortName() const
{
    return givenDevice_.isEmpty() ? u"Serial port %1"_s.arg(commPort_) : u"Serial device %1"_s.arg(givenDevice_);
}

QString QtSerialLink::PortLabel() const
{
    if (!givenDevice_.isEmpty())
        return PortName();
    if (device_.Name.isEmpty() || device_.Number != commPort_)
        return u"Serial port %1"_s.arg(commPort_);
    return u"Serial port %1 (%2)"_s.arg(commPort_).arg(device_.Name);
}
