// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "support/pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#ifdef Q_OS_MACOS
#include <util.h>
#else
#include <pty.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#endif

Pty::Pty()
{
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        return;
    // Raw from the start, so that nothing written before the program sets
    // the line up is echoed or translated.
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Not passed on to a program the test starts: it would hold the line up
    // after the test hangs it up.
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    slavePath_ = QString::fromLocal8Bit(name);
#ifdef Q_OS_LINUX
    watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Closes too, so that two opens in a row are not merged into one event.
    ::inotify_add_watch(watch_, name, IN_OPEN | IN_CLOSE);
#endif
}

Pty::~Pty()
{
    HangUp();
    if (watch_ >= 0)
        ::close(watch_);
}

int Pty::Opens()
{
#ifndef Q_OS_LINUX
    return -1;
#else
    alignas(inotify_event) char events[4096];
    for (ssize_t n; watch_ >= 0 && (n = ::read(watch_, events, sizeof events)) > 0;) {
        for (const char* at = events; at < events + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            opens_ += (event->mask & IN_OPEN) != 0;
            at += sizeof(inotify_event) + event->len;
        }
    }
    return opens_;
#endif
}

void Pty::Write(const QByteArray& bytes)
{
    QDeadlineTimer stuck(1000);  // the program has stopped reading
    for (qsizetype done = 0; done < bytes.size() && master_ >= 0 && !stuck.hasExpired();) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0)
            done += n, stuck.setRemainingTime(1000);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

QString Pty::LineSettings() const
{
    termios line{};
    ::tcgetattr(master_, &line);
    const speed_t speed = ::cfgetospeed(&line);
    const char parity = !(line.c_cflag & PARENB) ? 'n' : (line.c_cflag & PARODD) ? 'o' : 'e';
    return QStringLiteral("%1,%2,%3,%4")
        .arg(speed == B38400       ? 38400
                 : speed == B19200 ? 19200
                 : speed == B9600  ? 9600
                                   : 0)
        .arg(QLatin1Char(parity))
        .arg((line.c_cflag & CSIZE) == CS5       ? 5
                 : (line.c_cflag & CSIZE) == CS6 ? 6
                 : (line.c_cflag & CSIZE) == CS7 ? 7
                                                 : 8)
        .arg(line.c_cflag & CSTOPB ? 2 : 1);
}

void Pty::HangUp()
{
    for (int* fd : {&slave_, &master_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}
