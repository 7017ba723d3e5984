// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "files/scene_folder.h"

#include "files/scene_file.h"
#include "platform/failure.h"
#include "platform/file_kind.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

SceneFolder ReadSceneFolder(const QString& folder)
{
    SceneFolder found;
    const QString shown = QDir::toNativeSeparators(folder);
    switch (KindOf(folder)) {
    case FileKind::Folder: break;
    case FileKind::UnreadableName: found.Problem = UnreadableNameMessage(folder); return found;
    case FileKind::Missing: found.Problem = u"The folder \"%1\" is not there."_s.arg(shown); return found;
    default: found.Problem = u"\"%1\" is not a folder."_s.arg(shown); return found;
    }
    const QDir dir(folder);
    static const QRegularExpression sceneFile(u"^scene-(\\d{3})\\.bin$"_s);
    QMap<int, QString> files;
    // Pipes, devices and folders too, so that they are named rather than
    // passed over in silence.
    for (const QString& name : dir.entryList(QDir::Files | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const int n = sceneFile.match(name).captured(1).toInt();
        if (n >= 1 && n <= 255)
            files.insert(n, name);
    }
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        const QString path = dir.filePath(file.value());
        if (const FileKind kind = KindOf(path); kind != FileKind::Regular) {
            found.Skipped << u"%1 (%2)"_s.arg(file.value(), KindName(kind));
            continue;
        }
        try {
            const SceneBytes bytes = Lire(path);
            if (bytes.isEmpty()) {
                found.Skipped << u"%1 (empty)"_s.arg(file.value());
            } else {
                found.Scenes.append({file.key(), bytes});
                found.Numbers << file.key();
            }
        } catch (const Failure&) {
            const bool large = QFileInfo(path).size() > MaxSceneBytes;
            found.Skipped << u"%1 (%2)"_s.arg(file.value(),
                                              large ? u"larger than a scene can be"_s : u"cannot be read"_s);
        }
    }
    return found;
}
