// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/file_kind.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

FileKind KindOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        // Such a name came from the system already spoiled; asking again
        // cannot find it.
        return path.contains(QChar::ReplacementCharacter) ? FileKind::UnreadableName : FileKind::Missing;
    }
    if (info.isDir())
        return FileKind::Folder;
    if (info.isFile())
        return FileKind::Regular;
#ifdef Q_OS_UNIX
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
        if (S_ISFIFO(status.st_mode))
            return FileKind::Pipe;
        if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
            return FileKind::Device;
        if (S_ISSOCK(status.st_mode))
            return FileKind::Socket;
    }
#endif
    return FileKind::Other;
}

QString KindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Folder: return u"a folder"_s;
    case FileKind::Pipe: return u"a named pipe"_s;
    case FileKind::Device: return u"a device"_s;
    case FileKind::Socket: return u"a socket"_s;
    case FileKind::Missing:
    case FileKind::UnreadableName:
    case FileKind::Regular:
    case FileKind::Other: break;
    }
    return u"not a regular file"_s;
}
