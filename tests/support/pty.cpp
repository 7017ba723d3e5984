// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "support/pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

Pty::Pty()
{
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    // Raw from the start, so that nothing written before the program sets
    // the line up is echoed or translated.
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = QString::fromLocal8Bit(name);
}

Pty::~Pty()
{
    CloseMaster();
    CloseSlave();
}

PortDevice Pty::AsPort(int number) const
{
    return PortDevice{number, slavePath_, slavePath_.mid(5), QStringLiteral("pseudo-terminal")};
}

void Pty::Write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size() && master_ >= 0) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            // The program reads it in its event loop; let it.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

qsizetype Pty::WriteSome(const QByteArray& bytes)
{
    const ssize_t n = master_ >= 0 ? ::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())) : -1;
    return n > 0 ? n : 0;
}

QByteArray Pty::Read(qsizetype count, int timeoutMs)
{
    QByteArray got;
    QDeadlineTimer deadline(timeoutMs);
    while (got.size() < count && !deadline.hasExpired() && master_ >= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        got += ReadAvailable();
        if (got.size() < count) {
            pollfd pfd{master_, POLLIN, 0};
            ::poll(&pfd, 1, 2);
        }
    }
    return got;
}

QByteArray Pty::ReadAvailable()
{
    QByteArray got;
    char buffer[4096];
    while (master_ >= 0) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    return got;
}

void Pty::CloseMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void Pty::CloseSlave()
{
    if (slave_ >= 0)
        ::close(slave_);
    slave_ = -1;
}
