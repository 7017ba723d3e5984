// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/replace_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// Names tried before giving up on finding a free one.
constexpr int NameAttempts = 100;

// ".scene.bin.k3J9xQ": hidden, and in the same folder, so that putting it in
// place is a rename within one file system.
QString BesideName(const QString& path)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QChar::fromLatin1(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters) - 1)]);
    const QFileInfo info(path);
    return info.dir().filePath(u'.' + info.fileName() + u'.' + suffix);
}

QString ShortWrite(qint64 written, qint64 wanted)
{
    return u"only %1 of its %2 bytes reached the disk"_s.arg(written).arg(wanted);
}

}  // namespace

#ifdef Q_OS_UNIX

namespace {

QString Reason(int error)
{
    return qt_error_string(error);
}

// The file being written beside the target: closed and removed unless it
// was put in place.
struct BesideFile {
    int Fd = -1;
    QByteArray Name;
    BesideFile() = default;
    Q_DISABLE_COPY_MOVE(BesideFile)
    ~BesideFile()
    {
        if (Fd >= 0)
            ::close(Fd);
        if (!Name.isEmpty())
            ::unlink(Name.constData());
    }
};

// Once the new name is in place the folder is synced too, so that the
// replacement outlives a power cut. Its failure is not reported: the file is
// in place and whole by then, and saying that nothing changed would be false.
void SyncFolder(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::optional<QString> ReplaceFileContents(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat old = {};
    const bool replacing = ::stat(target.constData(), &old) == 0;

    BesideFile beside;
    for (int attempt = 0; attempt < NameAttempts && beside.Fd < 0; ++attempt) {
        const QByteArray name = QFile::encodeName(BesideName(path));
        // A new file gets the mode the user's umask gives it; a replacement
        // stays the owner's alone until it has the old file's owner and mode.
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
        if (fd >= 0) {
            beside.Fd = fd;
            beside.Name = name;
        } else if (errno != EEXIST) {
            return Reason(errno);
        }
    }
    if (beside.Fd < 0)
        return Reason(EEXIST);

    if (replacing) {
        struct stat made = {};
        if (::fstat(beside.Fd, &made) != 0)
            return Reason(errno);
        if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
            ::fchown(beside.Fd, old.st_uid, old.st_gid) != 0) {
            return u"it belongs to another user or group, and a new file in its place could not be given to them "
                   "(save it under another name, or as its owner)"_s;
        }
        // After the owner: changing it clears the set-user and set-group bits.
        if (::fchmod(beside.Fd, old.st_mode & 07777) != 0)
            return Reason(errno);
    }

    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(beside.Fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Reason(errno);
        if (n == 0)
            return Reason(ENOSPC);
        written += n;
    }
    // A write that the page cache took is not yet on the disk: a full disk,
    // a quota or an I/O error may show only now, or at the close.
    if (::fsync(beside.Fd) != 0)
        return Reason(errno);
    struct stat written = {};
    if (::fstat(beside.Fd, &written) != 0)
        return Reason(errno);
    if (written.st_size != bytes.size())
        return ShortWrite(written.st_size, bytes.size());
    if (::close(std::exchange(beside.Fd, -1)) != 0)
        return Reason(errno);
    if (::rename(beside.Name.constData(), target.constData()) != 0)
        return Reason(errno);
    beside.Name.clear();
    SyncFolder(path);
    return std::nullopt;
}

#elif defined(Q_OS_WIN)

namespace {

QString Reason(DWORD error)
{
    return qt_error_string(static_cast<int>(error));
}

std::wstring Native(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

struct BesideFile {
    HANDLE Handle = INVALID_HANDLE_VALUE;
    std::wstring Name;
    BesideFile() = default;
    Q_DISABLE_COPY_MOVE(BesideFile)
    ~BesideFile()
    {
        if (Handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(Handle);
        if (!Name.empty())
            ::DeleteFileW(Name.c_str());
    }
};

}  // namespace

std::optional<QString> ReplaceFileContents(const QString& path, const QByteArray& bytes)
{
    const std::wstring target = Native(path);
    const bool replacing = ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;

    BesideFile beside;
    for (int attempt = 0; attempt < NameAttempts && beside.Handle == INVALID_HANDLE_VALUE; ++attempt) {
        const std::wstring name = Native(BesideName(path));
        const HANDLE handle =
            ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            beside.Handle = handle;
            beside.Name = name;
        } else if (const DWORD error = ::GetLastError(); error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return Reason(error);
        }
    }
    if (beside.Handle == INVALID_HANDLE_VALUE)
        return Reason(ERROR_FILE_EXISTS);

    for (qsizetype written = 0; written < bytes.size();) {
        const auto chunk = static_cast<DWORD>(std::min<qsizetype>(bytes.size() - written, qsizetype(1) << 30));
        DWORD n = 0;
        if (!::WriteFile(beside.Handle, bytes.constData() + written, chunk, &n, nullptr))
            return Reason(::GetLastError());
        if (n == 0)
            return Reason(ERROR_DISK_FULL);
        written += n;
    }
    if (!::FlushFileBuffers(beside.Handle))
        return Reason(::GetLastError());
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(beside.Handle, &size))
        return Reason(::GetLastError());
    if (size.QuadPart != bytes.size())
        return ShortWrite(size.QuadPart, bytes.size());
    if (!::CloseHandle(std::exchange(beside.Handle, INVALID_HANDLE_VALUE)))
        return Reason(::GetLastError());
    // ReplaceFileW gives the new file the old one's attributes and access
    // rights; a new name is simply moved into place.
    const bool placed = replacing ? ::ReplaceFileW(target.c_str(), beside.Name.c_str(), nullptr,
                                                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                  : ::MoveFileExW(beside.Name.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!placed)
        return Reason(::GetLastError());
    beside.Name.clear();
    return std::nullopt;
}

#endif
