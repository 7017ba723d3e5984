// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "files/scene_file.h"

#include "platform/failure.h"
#include "platform/file_kind.h"
#include "platform/replace_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

using FailureNumber::FileReadFailed;
using FailureNumber::FileTooLarge;
using FailureNumber::FileWriteFailed;
// Far more links than any real chain; a loop ends here.
constexpr int MaxLinksFollowed = 40;

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void TooLarge(const QString& path, qint64 size)
{
    const QString held = size > 0 ? u"%1 bytes"_s.arg(size) : u"more than %1 bytes"_s.arg(MaxSceneBytes);
    throw Failure{FileTooLarge,
                  u"\"%1\" holds %2, more than a scene can (%3 bytes at most), so it was not "
                  "loaded. Choose a scene file."_s.arg(Shown(path), held)
                      .arg(MaxSceneBytes)};
}

// The file that writing to path really changes: a link is replaced by
// nothing, its target is.
QString WriteTarget(const QString& path)
{
    QString target = path;
    for (int i = 0; i < MaxLinksFollowed && QFileInfo(target).isSymLink(); ++i)
        target = QFileInfo(target).symLinkTarget();
    return target;
}

}  // namespace

QString UnreadableNameMessage(const QString& path)
{
    return u"The name \"%1\" cannot be read in this system's encoding, so it cannot be opened. Rename it, then "
           "try again."_s.arg(Shown(path));
}

QString SceneFileName(int sceneNumber)
{
    return u"scene-%1.bin"_s.arg(sceneNumber, 3, 10, QChar(u'0'));
}

SceneBytes Lire(const QString& Fichier)
{
    // Anything but a regular file is refused before it is opened: opening a
    // named pipe waits for a writer that may never come.
    const FileKind kind = KindOf(Fichier);
    if (kind == FileKind::UnreadableName)
        throw Failure{FileReadFailed, UnreadableNameMessage(Fichier)};
    if (kind != FileKind::Regular && kind != FileKind::Missing) {
        throw Failure{FileReadFailed,
                      u"\"%1\" is %2, not a scene file, so nothing was loaded."_s.arg(Shown(Fichier), KindName(kind))};
    }
    QFile file(Fichier);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Failure{
            FileReadFailed,
            u"\"%1\" cannot be read: %2. Nothing was loaded."_s.arg(Shown(Fichier), InSentence(file.errorString()))};
    }
    if (file.size() > MaxSceneBytes)
        TooLarge(Fichier, file.size());
    // One byte past the limit tells a file that grew (or has no size, like a
    // device) from one that fits.
    const QByteArray bytes = file.read(MaxSceneBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        throw Failure{
            FileReadFailed,
            u"\"%1\" cannot be read: %2. Nothing was loaded."_s.arg(Shown(Fichier), InSentence(file.errorString()))};
    }
    if (bytes.size() > MaxSceneBytes)
        TooLarge(Fichier, 0);
    return bytes;
}

namespace {

Failure WriteFailed(const QString& path, const QString& why)
{
    return {FileWriteFailed,
            u"The scene could not be saved to \"%1\": %2. Any file that was there is unchanged."_s.arg(
                Shown(path), InSentence(why))};
}

}  // namespace

void CheckSceneTarget(const QString& Fichier)
{
    // Only a regular file is replaced: a new file put in place of a named
    // pipe, a device or a socket would take that away from whatever uses
    // it (a root cron job writing to /dev/null would replace it).
    const FileKind kind = KindOf(Fichier);
    if (kind == FileKind::UnreadableName)
        throw WriteFailed(Fichier, u"its name cannot be read in this system's encoding"_s);
    if (kind != FileKind::Regular && kind != FileKind::Missing)
        throw WriteFailed(Fichier, u"that is %1, not a scene file"_s.arg(KindName(kind)));
}

void Ecrire(const QString& Fichier, const SceneBytes& TEXTE)
{
    CheckSceneTarget(Fichier);
    if (const std::optional<QString> why = ReplaceFileContents(WriteTarget(Fichier), TEXTE))
        throw WriteFailed(Fichier, *why);
}
