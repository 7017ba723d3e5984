// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// Scene files on a real disk: the file routines, and the load and save
// commands through the window with dialogs answered from queues.
#include "app/grid_text_box.h"
#include "files/scene_file.h"
#include "support/files.h"
#include "support/window_fixture.h"

#include "platform/file_kind.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

class TestSceneFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        w_.Reset();
    }

    void readsAndWritesRawBytesInPlaceOfTheOldFile()
    {
        const QString target = Path(u"target.bin"_s);
        Put(target, QByteArray(1000, 'x'));
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QFile::Permissions permissions = QFile::permissions(target);  // as the system tells them
        NO_FAILURE(Ecrire(target, AllValues()));
        QCOMPARE(Contents(target), AllValues());
        NO_FAILURE(QCOMPARE(Lire(target), AllValues()));
        QCOMPARE(QFile::permissions(target), permissions);
#ifdef Q_OS_UNIX
        // Through a link the file it names changes; the link stays a link.
        const QString link = Path(u"link.bin"_s);
        QVERIFY(QFile::link(u"target.bin"_s, link));
        NO_FAILURE(Ecrire(link, "via link"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(Contents(target), QByteArray("via link"));
        // Nothing is left beside the file.
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
#endif

        // Exactly the limit is still a scene.
        Put(target, QByteArray(MaxSceneBytes, '\x07'));
        NO_FAILURE(QCOMPARE(Lire(target).size(), MaxSceneBytes));
    }

    void loadsIntoTheGridOrSaysWhyNot()
    {
        Put(Path(u"full.bin"_s), AllValues());
        Put(Path(u"empty.bin"_s), {});
        Put(Path(u"big.bin"_s), QByteArray(MaxSceneBytes + 1, '\0'));
        for (const auto& [file, grid] :
             {std::pair{u"full.bin"_s, FormatSceneGrid(AllValues())}, {u"empty.bin"_s, QString()}}) {
            CLICK(w_, Command4, Path(file));
            QCOMPARE(w_.Form->GridText(), grid);
        }
        QVERIFY(w_.Dialogs.Said.isEmpty());

        // Cancelled: nothing is said. A file gone since the dialog, a folder,
        // a named pipe (refused at once, with no writer to wait for), a name
        // the system's encoding spoilt and a file over the limit are
        // reported; the grid stays.
        w_.Form->SetGridText(u"009 "_s);
        QStringList files{QString(), Path(u"gone.bin"_s), dir_->path(), Path(u"big.bin"_s)};
        QStringList said{u"TOVRAK Updater|*gone.bin\" is no longer there*|48"_s, u"TOVRAK Updater|*is a folder*|48"_s,
                         u"TOVRAK Updater|*big.bin*|48"_s};
#ifdef Q_OS_UNIX
        QVERIFY(::mkfifo(QFile::encodeName(Path(u"pipe.bin"_s)).constData(), 0600) == 0);
        const QByteArray badName = QFile::encodeName(dir_->path()) + "/\xff.bin";
        QVERIFY(::close(::open(badName.constData(), O_CREAT | O_WRONLY, 0600)) == 0);
        // QTemporaryDir cannot remove a name it cannot decode.
        const auto removeBadName = qScopeGuard([&] { ::unlink(badName.constData()); });
        files << Path(u"pipe.bin"_s) << QFile::decodeName(badName);
        said << u"TOVRAK Updater|*pipe.bin\" is a named pipe, not a scene file*|48"_s
             << u"TOVRAK Updater|The name * cannot be read in this system's encoding*|48"_s;
#endif
        for (const QString& file : files)
            CLICK(w_, Command4, file);
        QVERIFY2(w_.Dialogs.SaidLike(said), qPrintable(w_.Dialogs.Said.join(u"\n")));
        QCOMPARE(w_.Form->GridText(), u"009 "_s);
    }

    void savesAndAsksBeforeReplacing()
    {
        const QString file = Path(u"scene.bin"_s);
        CLICK(w_, Command5, file);
        QCOMPARE(Contents(file), SceneBytes(256, '\0'));  // the blank grid; a new file: no question
        QVERIFY(w_.Dialogs.Said.isEmpty());

        // Every byte value is saved.
        w_.Form->SetGridText(FormatSceneGrid(AllValues()));
        CLICK(w_, Command5, file, u"Yes"_s);
        VERIFY_SAID(w_.Dialogs, u"TOVRAK Updater|File already exists. Overwrite?|36"_s);
        QCOMPARE(Contents(file), AllValues());

        // No leaves the file as it was; a cancelled dialog changes nothing.
        w_.Form->SetGridText(u"9"_s);
        CLICK(w_, Command5, file, u"No"_s);
        CLICK(w_, Command5, QString());
        QCOMPARE(Contents(file), AllValues());
        QCOMPARE(w_.Dialogs.Said.size(), 2);  // only the question

        // An empty grid asks nothing; a bad entry is named and nothing is asked.
        w_.Dialogs = FakeDialogService{};
        for (const QString& grid : {QString(), u"001 256"_s}) {
            w_.Form->SetGridText(grid);
            CLICK(w_, Command5);
        }
        QVERIFY(w_.Dialogs.Asked.isEmpty());
        VERIFY_SAID(w_.Dialogs, u"Save Scene|256 is not between 0 and 255|16"_s);
    }

    void aFailedSaveIsReportedAndKeepsTheOldFile()
    {
        // Names that fail for root too, each for its reason: a missing
        // folder; a folder, a named pipe and a socket, which are never
        // replaced; an existing file whose name leaves no room for the file
        // written beside it.
        const QString longName = Path(QString(250, u'n') + u".bin"_s);
        QList<std::pair<QString, QString>> targets{{Path(u"no-such-folder/x.bin"_s), u"*"_s},
                                                   {dir_->path(), u"that is a folder, not a scene file"_s},
                                                   {longName, u"*"_s}};
        Put(longName, Old);
#ifdef Q_OS_UNIX
        const QString fifo = Path(u"fifo.bin"_s), socket = Path(u"socket.bin"_s);
        targets << std::pair(fifo, u"that is a named pipe, not a scene file"_s)
                << std::pair(socket, u"that is a socket, not a scene file"_s);
        const SpecialFiles special(fifo, socket);
        QVERIFY(special.Made);
#endif
        SaveFails(targets);
        QCOMPARE(Contents(longName), Old);
#ifdef Q_OS_UNIX
        QVERIFY(KindOf(fifo) == FileKind::Pipe && KindOf(socket) == FileKind::Socket);
#endif
    }

#ifdef Q_OS_UNIX
    void aReplacedFileKeepsItsOwnerGroupAndMode()
    {
        if (::geteuid() != 0)
            QSKIP("needs root, to give files to another user: owners and groups not tried");
        // As root (sudo, root's cron), another user's file stays theirs,
        // read-only or private as it was; a new file gets the umask's mode.
        const mode_t umask = ::umask(022);
        const auto restore = qScopeGuard([umask] { ::umask(umask); });
        const QString shared = Path(u"shared"_s);
        QVERIFY(QDir().mkpath(shared) && ::chmod(QFile::encodeName(dir_->path()).constData(), 0711) == 0 &&
                ::chmod(QFile::encodeName(shared).constData(), 0777) == 0);
        const QByteArray theirs = QFile::encodeName(shared + u"/theirs.bin"_s);
        for (const mode_t mode : {0444, 0600}) {
            Put(QFile::decodeName(theirs), Old);
            QVERIFY(::chown(theirs.constData(), 65534, 65534) == 0 && ::chmod(theirs.constData(), mode) == 0);
            NO_FAILURE(Ecrire(QFile::decodeName(theirs), AllValues()));
            struct stat now = {};
            QVERIFY(::stat(theirs.constData(), &now) == 0);
            QCOMPARE(std::tuple(now.st_uid, now.st_gid, now.st_mode & 07777), std::tuple(65534u, 65534u, mode));
            QCOMPARE(Contents(QFile::decodeName(theirs)), AllValues());
        }
        NO_FAILURE(Ecrire(shared + u"/new.bin"_s, "\x01"));
        QCOMPARE(QFileInfo(shared + u"/new.bin"_s).permissions() & 0x0777, QFile::Permissions(0x0644));

        // Another user, who may write the file but could not give a new one
        // to its owner, is refused before anything changes.
        QVERIFY(::chmod(theirs.constData(), 0666) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            int code = 3;
            if (::setgid(1234) == 0 && ::setuid(1234) == 0) {
                try {
                    Ecrire(QFile::decodeName(theirs), "\x02");
                    code = 1;
                } catch (const Failure& failure) {
                    code = failure.Description.contains(u"belongs to another user or group"_s) ? 0 : 2;
                }
            }
            ::_exit(code);
        }
        int status = -1;
        QVERIFY(child > 0 && ::waitpid(child, &status, 0) == child);
        QCOMPARE(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
        QCOMPARE(Contents(QFile::decodeName(theirs)), AllValues());
        QCOMPARE(QDir(shared).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
#endif

#ifdef Q_OS_LINUX
    // Also run alone, so that CTest says when it is skipped.
    void aFullDiskOrADeviceNodeKeepsWhatWasThere()
    {
        const QString mount = Path(u"small"_s), full = mount + u"/scene.bin"_s, node = mount + u"/null.bin"_s;
        QVERIFY(QDir().mkpath(mount));
        // Five names: the folder, the scene, the node, the filler and the
        // file written beside the scene.
        const bool mounted =
            QProcess::execute(u"mount"_s,
                              {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=256k,nr_inodes=5"_s, u"tmpfs"_s, mount}) == 0;
        const auto unmount = qScopeGuard([&] { mounted&& QProcess::execute(u"umount"_s, {mount}); });
        if (!mounted || ::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP("cannot mount a small tmpfs here (needs root): a full disk and a device node not tried");
        Put(full, Old);
        const QString filler = mount + u"/filler"_s;
        Put(filler, {});
        // Room left on the disk, and the scene written: none at all; a scene
        // that a write buffer would hold whole, so that only its flush
        // fails; one whose rest, once the room is used, a buffer would hold;
        // one far larger.
        const qint64 k = 1024;
        for (const auto& [room, size] :
             {std::pair(0 * k, 100 * 1), {8 * k, 12 * k}, {40 * k, 48 * k}, {40 * k, 200 * k}}) {
            QVERIFY(::truncate(QFile::encodeName(filler).constData(), 0) == 0);
            struct statvfs disk = {};
            QVERIFY(::statvfs(QFile::encodeName(mount).constData(), &disk) == 0);
            Put(filler, QByteArray(static_cast<qsizetype>(disk.f_bavail * disk.f_frsize - room), '\x09'));
            QVERIFY(::statvfs(QFile::encodeName(mount).constData(), &disk) == 0);
            QCOMPARE(static_cast<qint64>(disk.f_bavail * disk.f_frsize), room);
            QVERIFY_THROWS_EXCEPTION(Failure, Ecrire(full, QByteArray(size, '\x06')));
            try {
                Ecrire(full, QByteArray(size, '\x06'));
            } catch (const Failure& failure) {
                QVERIFY2(
                    failure.Description.contains(u": No space left on device. Any file that was there is unchanged."_s),
                    qPrintable(failure.Description));
            }
            QCOMPARE(Contents(full), Old);
            QCOMPARE(QDir(mount).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);  // no leftovers
        }
        // Through the window: a full disk and a device node are each said.
        SaveFails({{full, u"No space left on device"_s}, {node, u"that is a device, not a scene file"_s}});
        QCOMPARE(Contents(full), Old);
        QVERIFY(KindOf(node) == FileKind::Device);
        // No name left for the file beside the scene: the same.
        QVERIFY(::truncate(QFile::encodeName(filler).constData(), 0) == 0);
        Put(mount + u"/last"_s, {});
        QVERIFY_THROWS_EXCEPTION(Failure, Ecrire(full, "\x06"));
        QCOMPARE(Contents(full), Old);
    }
#endif

    void loadsAFileDroppedOnTheWindow()
    {
        Put(Path(u"drop.bin"_s), "\x0a\x0b");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Path(u"drop.bin"_s))});
        for (QWidget* target : {w_.Form->Text1->viewport(), static_cast<QWidget*>(w_.Form.get())}) {
            w_.Form->SetGridText(u"000 "_s);
            QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            QCOMPARE(w_.Form->GridText(), u"010 011 "_s);  // loaded, not the path typed in
        }
    }

private:
    inline static const QByteArray Old = QByteArray(20 * 1024, '\x05');  // what was there before

    // Saving a scene larger than Old to each target fails, saying why.
    void SaveFails(const QList<std::pair<QString, QString>>& targets)
    {
        w_.Form->SetGridText(FormatSceneGrid(QByteArray(80 * 1024, '\x06')));
        for (const auto& [target, why] : targets) {
            w_.Dialogs = FakeDialogService{};
            CLICK(w_, Command5, target);
            const QString failed = u"Save Scene|The scene could not be saved to \"%1\": %2. Any file that was there is "
                                   "unchanged.|48"_s.arg(QDir::toNativeSeparators(target), why);
            if (QFileInfo::exists(target))
                VERIFY_SAID(w_.Dialogs, u"TOVRAK Updater|File already exists. Overwrite?|36"_s, failed);
            else
                VERIFY_SAID(w_.Dialogs, failed);
        }
    }

    QString Path(const QString& name) const
    {
        return dir_->filePath(name);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    WindowFixture w_;
};

QTEST_MAIN(TestSceneFiles)
#include "tst_scene_files.moc"
