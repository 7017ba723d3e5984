// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/console.h"

#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <mutex>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

std::atomic<InterruptWatcher*> armed = nullptr;  // the one watcher a handler reaches

#ifdef Q_OS_UNIX
constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
// What each signal did before, to be put back; an ignored one (nohup, a
// job started in the background) stays ignored.
struct sigaction before[std::size(Signals)] = {};
int wakeFd = -1;

// Only what is safe in a signal handler: one write to a pipe.
void OnSignal(int signal)
{
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &byte, 1);
}
#endif

#ifdef Q_OS_WIN
// Set once the program is done, so that a console close waiting for the
// frame in flight lets the process go.
HANDLE done = nullptr;
// Windows ends the process once this handler returns from a console close,
// log-off or shutdown, and gives it about five seconds in all: wait here, a
// little less than that, for the program to end on its own. A scene that
// needs longer on the line (over 18 KiB at 38400) is cut all the same: the
// system allows no more, and nothing here can hold it.
constexpr DWORD CloseWaitMs = 4500;

// The console handler's thread against the watcher's end: the handler
// reaches the watcher only while it is armed.
std::mutex handlerLock;

// Runs on a thread of its own; the watcher hears of it in its event loop.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    const int signal = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
    HANDLE finished = nullptr;
    {
        const std::lock_guard lock(handlerLock);
        InterruptWatcher* watcher = armed.load();
        if (watcher == nullptr)
            return FALSE;
        QMetaObject::invokeMethod(
            watcher, [watcher, signal] { watcher->Deliver(signal); }, Qt::QueuedConnection);
        finished = done;  // never closed, so it outlives the watcher
    }
    if (signal == SIGTERM && finished != nullptr)
        ::WaitForSingleObject(finished, CloseWaitMs);
    return TRUE;
}

// The console a stream writes to, if it is one.
HANDLE ConsoleOf(std::FILE* stream)
{
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}
#endif

// What one read of the stream gives: bytes, 0 at its end, -1 on an error
// (errno says which).
qint64 ReadSome(std::FILE* stream, char* buffer, size_t size)
{
#if defined(Q_OS_UNIX)
    const int fd = ::fileno(stream);
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
            return n;
        // A descriptor left non-blocking: wait for more, as a blocking one would.
        pollfd input{fd, POLLIN, 0};
        ::poll(&input, 1, -1);
    }
#elif defined(Q_OS_WIN)
    return ::_read(::_fileno(stream), buffer, static_cast<unsigned>(size));
#else
    return static_cast<qint64>(std::fread(buffer, 1, size, stream));
#endif
}

}  // namespace

bool IsTerminal(std::FILE* stream)
{
#if defined(Q_OS_UNIX)
    return ::isatty(::fileno(stream)) == 1;
#elif defined(Q_OS_WIN)
    return ::_isatty(::_fileno(stream)) != 0;
#else
    Q_UNUSED(stream);
    return false;
#endif
}

void UseBinaryMode(std::FILE* stream)
{
#ifdef Q_OS_WIN
    ::_setmode(::_fileno(stream), _O_BINARY);
#else
    Q_UNUSED(stream);  // bytes pass as they are
#endif
}

bool WriteText(std::FILE* stream, const QString& text)
{
#ifdef Q_OS_WIN
    if (HANDLE console = ConsoleOf(stream)) {
        std::fflush(stream);  // what went before through the C library
        for (qsizetype at = 0; at < text.size();) {
            DWORD written = 0;
            qsizetype chunk = std::min<qsizetype>(text.size() - at, 8192);
            if (at + chunk < text.size() && text.at(at + chunk - 1).isHighSurrogate())
                --chunk;  // a character is never split in two
            if (!::WriteConsoleW(console, text.utf16() + at, static_cast<DWORD>(chunk), &written, nullptr) ||
                written == 0)
                return false;
            at += written;
        }
        return true;
    }
#endif
    const QByteArray bytes = text.toUtf8();
    return std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream) ==
        static_cast<size_t>(bytes.size()) &&
        std::fflush(stream) == 0;
}

int TerminalColumns(std::FILE* stream)
{
#if defined(Q_OS_UNIX)
    winsize size = {};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0)
        return size.ws_col;
#elif defined(Q_OS_WIN)
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    if (HANDLE console = ConsoleOf(stream); console && ::GetConsoleScreenBufferInfo(console, &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    Q_UNUSED(stream);
#endif
    return 0;
}

void SurviveClosedOutput()
{
#ifdef Q_OS_UNIX
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // Windows has no such signal: the write fails.
}

InputRead ReadToEnd(std::FILE* stream, qint64 most)
{
    InputRead read;
    char buffer[64 * 1024];
    while (read.Bytes.size() <= most) {
        const qint64 n = ReadSome(stream, buffer, sizeof buffer);
        if (n > 0) {
            read.Bytes.append(buffer, n);
        } else {
            if (n < 0)
                read.Error = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
    }
    if (read.Bytes.size() > most + 1)
        read.Bytes.truncate(most + 1);
    return read;
}

InterruptWatcher::InterruptWatcher(QObject* parent) : QObject(parent)
{
}

InterruptWatcher::~InterruptWatcher()
{
    if (!armed_)
        return;
#ifdef Q_OS_WIN
    {
        const std::lock_guard lock(handlerLock);
        armed = nullptr;
    }
#else
    armed = nullptr;
#endif
#ifdef Q_OS_UNIX
    for (size_t i = 0; i < std::size(Signals); ++i)
        sigaction(Signals[i], &before[i], nullptr);
    wakeFd = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
#endif
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    Done();
#endif
}

void InterruptWatcher::Arm()
{
    if (armed_ || armed.load() != nullptr)
        return;
    armed_ = true;
#ifdef Q_OS_UNIX
    if (::pipe(pipe_) != 0)
        return;
    for (const int fd : pipe_)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(pipe_[1], F_SETFL, O_NONBLOCK);
    wakeFd = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        if (::read(pipe_[0], &byte, 1) == 1)
            Deliver(byte);
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(Signals); ++i) {
        sigaction(Signals[i], nullptr, &before[i]);
        if (before[i].sa_handler != SIG_IGN)
            sigaction(Signals[i], &action, nullptr);
    }
#endif
#ifdef Q_OS_WIN
    done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
#endif
    armed = this;
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#endif
}

void InterruptWatcher::Done()
{
#ifdef Q_OS_WIN
    if (done != nullptr)
        ::SetEvent(done);
#endif
}

void InterruptWatcher::Deliver(int signal)
{
    if (received_ == 0)
        received_ = signal;
    Q_EMIT Interrupted();
}
