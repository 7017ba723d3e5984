// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Makes bytes the whole new contents of the regular file at path (a link
// already followed), or a new file there. The bytes go to a file beside it,
// which is written, synced to the disk and checked for its size before it
// takes the old one's place; an old file keeps its owner, group and mode
// (and, on Windows, its attributes and access rights). Whatever fails on
// the way leaves the old file as it was and nothing beside it, and gives
// the reason in the system's words. A file whose owner or group this
// program cannot give to a new file is refused before anything is written:
// a file put in its place would belong to someone else, and its owner
// might no longer be able to read it.
std::optional<QString> ReplaceFileContents(const QString& path, const QByteArray& bytes);
