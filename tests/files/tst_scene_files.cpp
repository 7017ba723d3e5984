// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/form1.h"
#include "app/grid_text_box.h"
#include "files/load_save.h"
#include "files/scene_file.h"
#include "platform/failure.h"
#include "support/fake_dialog_service.h"
#include "support/fake_serial_link.h"
#include "support/files.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

SceneBytes AllValues()
{
    SceneBytes bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(static_cast<char>(value));
    return bytes;
}

}  // namespace

class TestSceneFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        dialogs_ = FakeDialogService{};
        form_ = std::make_unique<Form1>(dialogs_, serial_);
    }

    void readsAndWritesRawBytes()
    {
        Ecrire(Path(u"all.bin"_s), AllValues());
        QCOMPARE(Contents(Path(u"all.bin"_s)), AllValues());
        QCOMPARE(Lire(Path(u"all.bin"_s)), AllValues());

        Put(Path(u"empty.bin"_s), {});
        QCOMPARE(Lire(Path(u"empty.bin"_s)), SceneBytes());

        Put(Path(u"long.bin"_s), QByteArray(1000, 'x'));
        Ecrire(Path(u"long.bin"_s), "\x01\x02");
        QCOMPARE(Contents(Path(u"long.bin"_s)), QByteArray("\x01\x02"));

        // Exactly the limit is a scene; one byte more is not.
        Put(Path(u"limit.bin"_s), QByteArray(MaxSceneBytes, '\x07'));
        QCOMPARE(Lire(Path(u"limit.bin"_s)).size(), MaxSceneBytes);
        Put(Path(u"big.bin"_s), QByteArray(MaxSceneBytes + 1, '\x07'));
        try {
            Lire(Path(u"big.bin"_s));
            QFAIL("a file over the limit was read");
        } catch (const Failure& failure) {
            QVERIFY2(failure.Description.contains(u"more than a scene can"_s), qPrintable(failure.Description));
        }
    }

    void writesInPlaceOfTheOldFileOnlyWhenComplete()
    {
        const QString target = Path(u"target.bin"_s);
        Put(target, "old");
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        Ecrire(target, "new");
        QCOMPARE(Contents(target), QByteArray("new"));
        // Owner, group and others; Qt adds the current user's own bits.
        const QFile::Permissions kept = QFile::permissions(target) & QFile::Permissions(0x7077);
        QCOMPARE(kept, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

        // Through a link the file it names changes; the link stays a link.
        const QString link = Path(u"link.bin"_s);
        QVERIFY(QFile::link(u"target.bin"_s, link));
        Ecrire(link, "via link");
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(Contents(target), QByteArray("via link"));

        // Nothing is left beside the file.
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }

    void loadsIntoTheGrid()
    {
        Put(Path(u"full.bin"_s), AllValues());
        Put(Path(u"five.bin"_s), "\x01\x02\x03\x04\xff");
        Put(Path(u"empty.bin"_s), {});
        dialogs_.OpenAnswers = {Path(u"full.bin"_s), Path(u"five.bin"_s), Path(u"empty.bin"_s)};

        form_->Command4->click();
        QCOMPARE(form_->GridText(), FormatSceneGrid(AllValues()));
        QCOMPARE(form_->GridText().count(u"\r\n"_s), 16);
        form_->Command4->click();
        QCOMPARE(form_->GridText(), u"001 002 003 004 255 "_s);
        form_->Command4->click();
        QCOMPARE(form_->GridText(), QString());
        QVERIFY(dialogs_.Messages.isEmpty());
    }

    void loadReportsWhatCannotBeRead()
    {
        Put(Path(u"big.bin"_s), QByteArray(MaxSceneBytes + 1, '\0'));
        const QString before = form_->GridText();
        dialogs_.OpenAnswers = {std::nullopt};  // cancelled: nothing happens, nothing is said
        form_->Command4->click();
        QVERIFY(dialogs_.Messages.isEmpty());

        // A file gone since the dialog, a folder and a file over the limit
        // are reported; the grid stays.
        dialogs_.OpenAnswers = {Path(u"gone.bin"_s), dir_->path(), Path(u"big.bin"_s)};
        for (int i = 0; i < 3; ++i)
            form_->Command4->click();
        QCOMPARE(dialogs_.Messages.size(), 3);
        QVERIFY(dialogs_.Messages[0].Text.contains(u"gone.bin\" is no longer there"_s));
        QVERIFY(dialogs_.Messages[1].Text.contains(u"is a folder"_s));
        QVERIFY(dialogs_.Messages[2].Text.contains(u"big.bin"_s));
        for (const FakeDialogService::Message& message : dialogs_.Messages) {
            QCOMPARE(message.Style, MsgBoxStyle::Exclamation);
            QCOMPARE(message.Title.value_or(QString()), u"TOVRAK Updater"_s);
        }
        QCOMPARE(form_->GridText(), before);
    }

    void savesAndAsksBeforeReplacing()
    {
        const QString file = Path(u"scene.bin"_s);
        dialogs_.SaveAnswers = {file};
        form_->Command5->click();
        QCOMPARE(Contents(file), SceneBytes(256, '\0'));  // the blank grid
        QVERIFY(dialogs_.Messages.isEmpty());             // a new file: no question

        // Every byte value survives save and load.
        form_->SetGridText(FormatSceneGrid(AllValues()));
        dialogs_.SaveAnswers = {file};
        dialogs_.MsgBoxAnswers = {MsgBoxResult::Yes};
        form_->Command5->click();
        QCOMPARE(dialogs_.Messages.size(), 1);
        QCOMPARE(dialogs_.Messages[0].Text, u"File already exists. Overwrite?"_s);
        QCOMPARE(dialogs_.Messages[0].Style, MsgBoxStyle::YesNo | MsgBoxStyle::Question);
        QCOMPARE(dialogs_.Messages[0].Title.value_or(QString()), u"TOVRAK Updater"_s);
        form_->SetGridText(QString());
        dialogs_.OpenAnswers = {file};
        form_->Command4->click();
        QCOMPARE(form_->GridText(), FormatSceneGrid(AllValues()));

        // No leaves the file as it was; a cancelled dialog changes nothing.
        form_->SetGridText(u"9"_s);
        dialogs_.SaveAnswers = {file, std::nullopt};
        dialogs_.MsgBoxAnswers = {MsgBoxResult::No};
        form_->Command5->click();
        form_->Command5->click();
        QCOMPARE(Contents(file), AllValues());
        QCOMPARE(dialogs_.Messages.size(), 2);  // only the question
    }

    void saveDoesNothingForAnEmptyOrBadGrid()
    {
        form_->Command6->click();  // Clear
        form_->Command5->click();
        QCOMPARE(dialogs_.FileDialogsShown, 0);

        form_->SetGridText(u"001 256"_s);
        form_->Command5->click();
        QCOMPARE(dialogs_.FileDialogsShown, 0);
        QCOMPARE(dialogs_.Messages.size(), 1);
        QCOMPARE(dialogs_.Messages[0].Text, u"256 is not between 0 and 255"_s);
        QCOMPARE(dialogs_.Messages[0].Title.value_or(QString()), u"Save Scene"_s);
    }

    void aFailedSaveIsReportedAndKeepsTheOldFile()
    {
        // Names that fail for root too: a missing folder, a folder, and an
        // existing file whose name leaves no room for the file written beside it.
        const QString longName = Path(QString(250, u'n') + u".bin"_s);
        Put(longName, "old scene");
        const QStringList targets{Path(u"no-such-folder/x.bin"_s), dir_->path(), longName};
        for (const QString& target : targets) {
            dialogs_.SaveAnswers = {target};
            dialogs_.MsgBoxAnswers = {MsgBoxResult::Yes};
            dialogs_.Messages.clear();
            form_->Command5->click();
            QVERIFY2(!dialogs_.Messages.isEmpty(), qPrintable(target));
            const FakeDialogService::Message& said = dialogs_.Messages.last();
            QVERIFY2(said.Text.startsWith(u"The scene could not be saved to"_s), qPrintable(said.Text));
            QVERIFY2(said.Text.contains(QDir::toNativeSeparators(target)), qPrintable(said.Text));
            QCOMPARE(said.Style, MsgBoxStyle::Exclamation);
            QCOMPARE(said.Title.value_or(QString()), u"Save Scene"_s);
        }
        QCOMPARE(Contents(longName), QByteArray("old scene"));
    }

    void aFullDiskKeepsTheOldFile()
    {
        const QString mount = Path(u"small"_s);
        QVERIFY(QDir().mkpath(mount));
        if (QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=64k"_s, u"tmpfs"_s, mount}) != 0)
            QSKIP("cannot mount a small tmpfs here (needs root and mount rights)");
        const auto unmount = qScopeGuard([&] { QProcess::execute(u"umount"_s, {mount}); });

        const QString file = mount + u"/scene.bin"_s;
        // The new scene is larger than the whole disk: cutting the old file
        // first would lose it and still not fit the new one.
        const QByteArray old(20 * 1024, '\x05');
        Put(file, old);
        form_->SetGridText(FormatSceneGrid(QByteArray(80 * 1024, '\x06')));
        dialogs_.SaveAnswers = {file};
        dialogs_.MsgBoxAnswers = {MsgBoxResult::Yes};
        form_->Command5->click();
        QCOMPARE(dialogs_.Messages.size(), 2);  // the question, then the failure
        QVERIFY(dialogs_.Messages[1].Text.contains(u"could not be saved"_s));
        QCOMPARE(Contents(file), old);
        QCOMPARE(QDir(mount).entryList(QDir::Files | QDir::Hidden).size(), 1);  // no leftovers
    }

    void loadsAFileDroppedOnTheWindow()
    {
        Put(Path(u"drop.bin"_s), "\x0a\x0b");
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Path(u"drop.bin"_s))});

        for (QWidget* target : {static_cast<QWidget*>(form_->Text1->viewport()), static_cast<QWidget*>(form_.get())}) {
            form_->SetGridText(u"000 "_s);
            const QPoint at(10, 10);
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            QCOMPARE(form_->GridText(), u"010 011 "_s);  // loaded, not the path typed in
        }
    }

private:
    QString Path(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
    FakeDialogService dialogs_;
    FakeSerialLink serial_;
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(TestSceneFiles)
#include "tst_scene_files.moc"
