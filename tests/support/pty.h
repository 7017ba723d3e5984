// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/serial_link.h"

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair: the program opens the slave by its path as a
// serial port; the test plays the device on the master.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool IsOpen() const { return master_ >= 0; }
    QString SlavePath() const { return slavePath_; }
    // The slave as port 1 of a port list.
    PortDevice AsPort(int number = 1) const;

    // Writes to the program's side.
    void Write(const QByteArray& bytes);
    // Writes what the line takes now, without waiting; returns how much.
    qsizetype WriteSome(const QByteArray& bytes);
    // Reads what the program wrote until count bytes have come or the time
    // is up, running the event loop meanwhile.
    QByteArray Read(qsizetype count, int timeoutMs = 5000);
    // Reads whatever is there now.
    QByteArray ReadAvailable();
    // The device end goes away.
    void CloseMaster();
    // Lets go of the test's own hold on the slave, so that the master sees
    // the line hang up once the program closes it too.
    void CloseSlave();

    int MasterFd() const { return master_; }

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};
