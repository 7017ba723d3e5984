// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QtTest>

#include <numeric>
#ifdef Q_OS_UNIX
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

// Every byte value, 0 to 255.
inline QByteArray AllValues()
{
    QByteArray bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0');
    return bytes;
}

// The whole contents of a file, or a marker that cannot be a scene's.
inline QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

#ifdef Q_OS_UNIX
// Makes a named pipe and a socket, as things a file's name may stand for;
// the socket is there until the object goes.
struct SpecialFiles {
    SpecialFiles(const QString& fifo, const QString& socket) : listening_(::socket(AF_UNIX, SOCK_STREAM, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(socket).constData(), sizeof address.sun_path - 1);
        Made = ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 &&
            ::bind(listening_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~SpecialFiles() { ::close(listening_); }
    Q_DISABLE_COPY_MOVE(SpecialFiles)
    bool Made = false;

private:
    int listening_;
};
#endif

// Makes a file holding exactly bytes.
inline void Put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}
