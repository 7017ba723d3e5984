// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "link/frame_pacer.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the command line asks for.
struct CliOptions {
    enum class Command { None, Ports, Send, Receive, Backup, Restore, Verify };
    Command What = Command::None;
    int Port = 1;        // --port: counted as the window's Comm Port list counts
    QString Device;      // --device: the device itself, instead of a port number
    bool Quiet = false;  // no progress line
    bool Verbose = false;
    double FrameGap = FramePacer::DefaultGap;  // --frame-gap: the quiet after each store frame
    int Scene = 0;                             // send, receive: the scene number
    QString File;                              // send, receive: the file, "-" for standard input or output
    QString Folder;                            // backup, restore, verify
    QList<int> Scenes;                         // backup --scenes, 1-255 by default
    bool Force = false;                        // backup: replace files already there
    bool NoVerify = false;                     // restore: send only
    bool Help = false;
    bool Version = false;
    QString Error;  // why the arguments cannot be run; empty when they can
};

// Reads the arguments, the program's name first.
CliOptions ParseCli(const QStringList& arguments);

// The text of --help.
QString CliUsage();
