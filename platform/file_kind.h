// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QString>

// What a path names, as far as reading it goes. Only a regular file can be
// read without the risk of waiting forever (a named pipe with no writer) or
// reading without end (a device).
enum class FileKind { Missing, UnreadableName, Regular, Folder, Pipe, Device, Socket, Other };

// A symbolic link counts as what it points to. A name that the system's
// encoding could not turn into text (it shows with U+FFFD) and that
// therefore cannot be found is UnreadableName.
FileKind KindOf(const QString& path);

// "a folder", "a named pipe", "a device", "a socket", "not a regular file".
QString KindName(FileKind kind);
