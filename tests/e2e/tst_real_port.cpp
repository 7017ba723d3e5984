// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The window on a real serial port: a pseudo-terminal whose far end plays
// the device, with dialogs answered from a queue and real files.
#include "app/port_combo_box.h"
#include "files/scene_file.h"
#include "link/device_backup.h"
#include "link/frames.h"
#include "link/receive_scene.h"
#include "platform/qt_dialog_service.h"
#include "platform/qt_serial_link.h"
#include "support/files.h"
#include "support/pty.h"
#include "support/scripted_device.h"
#include "support/window_fixture.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class TestRealPort : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init()
    {
        form_.reset();  // before the port it uses
        dir_ = std::make_unique<QTemporaryDir>();
        pty_ = std::make_unique<Pty>();
        device_ = std::make_unique<Device>(*pty_);
        serial_ = std::make_unique<QtSerialLink>(
            [this] { return pty_->IsOpen() ? QList<PortDevice>{pty_->AsPort()} : QList<PortDevice>{}; });
        dialogs_ = FakeDialogService{};
        form_ = std::make_unique<Form1>(dialogs_, *serial_);
        // The device takes a store frame as over after 0.2 s of quiet; a
        // gap of 0.4 s keeps these tests short. One restore keeps the
        // second the program waits by default.
        device_->ReadAtLineSpeed();
        form_->Session->Pacer().SetGap(0.4);
    }

    void sendsAFrameWholeAndReportsAHangUpOnce()
    {
        // Every byte value, in a scene that fills the pseudo-terminal: the
        // port closes only once every byte has left and the line has had
        // time to carry it (2 s).
        device_->ReadAtLineSpeed(false);
        SceneBytes scene(8 * 1024, '\0');
        for (qsizetype i = 0; i < scene.size(); ++i)
            scene[i] = static_cast<char>(i * 7 % 256);
        form_->SetGridText(FormatSceneGrid(scene));
        dialogs_.Answers = {u"42"_s};
        NO_FAILURE(form_->Command2->click());
        // Held until the line has been quiet after it, then given back.
        QVERIFY(serial_->PortOpen() && form_->Label4->text() == u"42"_s);
        QTRY_VERIFY(!serial_->PortOpen());
        QTRY_COMPARE(device_->Frames, QList<QByteArray>{SendFrame(42, scene)});

        // A device that hangs up mid-send is reported once, and nothing follows.
        init();
        form_->SetGridText(FormatSceneGrid(scene));
        device_->ReadAtLineSpeed(false);
        device_->HangUpAfter = 2 * 1024;
        dialogs_.Answers = {u"5"_s};
        NO_FAILURE(form_->Command2->click());
        QTest::qWait(1200);  // time for a second report, or a "Connection Failed"
        VERIFY_SAID(dialogs_, u"TOVRAK Updater|Serial port 1 was lost while the scene was being sent*|48"_s);
        QVERIFY(!serial_->PortOpen());
    }

    void backsUpWhatAnswersAndNamesWhatDoesNot()
    {
        const QByteArray first = AllValues();  // in two bursts
        device_->Replies = {{1, {{20, first.first(100)}, {300, first.sliced(100)}}}, {2, {{10, "\x00\x07\xff"_ba}}}};
        // Older files: 2 is replaced by a new file (a second name of the old
        // one keeps it), 3 gives no reply and is named as left from before.
        Put(Path(u"scene-002.bin"_s), "old"), Put(Path(u"scene-003.bin"_s), "old");
        QCOMPARE(::link(qPrintable(Path(u"scene-002.bin"_s)), qPrintable(Path(u"keep.bin"_s))), 0);
        form_->Label4->setText(u"9"_s);
        QElapsedTimer took;
        took.start();
        Backup(u" 1-3"_s);
        // Each number costs the second of silence and little more.
        QVERIFY2(took.elapsed() < 3300 + 400, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(Contents(Path(u"scene-001.bin"_s)), first);
        QCOMPARE(Contents(Path(u"scene-002.bin"_s)) + Contents(Path(u"keep.bin"_s)), "\x00\x07\xffold"_ba);
        QCOMPARE(dialogs_.Said.last(),
                 u"Back Up Device|2 scenes saved in %1 (numbers 1-2).\nNo reply from number 3.\n"
                 "Left from before, not replaced (no reply this time): scene-003.bin.|64"_s.arg(
                     QDir::toNativeSeparators(dir_->path())));
        QCOMPARE(dialogs_.Progress.value(1).section(u'\n', 0, 1),
                 u"Fetching scene 2 (2 of 3)\nSaved: 1   No reply: 0"_s);
        // The grid, Label4 and the receive command's fields are untouched;
        // the port was opened once, and is closed although the last number was silent.
        QCOMPARE(form_->GridText(), FormatSceneGrid(SceneBytes(256, '\0')));
        QCOMPARE(form_->Label4->text(), u"9"_s);
        QVERIFY(form_->Fields.ReceiveBuffer.isEmpty() && form_->Fields.LastReceiveTime == 0);
        QVERIFY(!serial_->PortOpen());
        COMPARE_OPENS(*pty_, 1);

        // Files already there: anything but Yes touches nothing.
        Backup(u"1-3"_s, u"No"_s);
        VERIFY_SAID(
            dialogs_,
            u"Back Up Device|3 of the files for these numbers already in * would be replaced. Replace them?|36"_s);
        QVERIFY(dialogs_.Progress.isEmpty());

        // Cancel stops after the scene in flight. Meanwhile nothing else can
        // touch the port: the commands are disabled, and a receive (asked
        // for 9) is refused.
        QFile::remove(Path(u"scene-001.bin"_s));
        device_->Fetched.clear();
        dialogs_ = FakeDialogService({u"1, 3"_s, dir_->path(), {}, u"9"_s});
        dialogs_.CancelAt = 0;
        QString enabled;
        dialogs_.WhileProgress = [&] {
            ReceiveSceneCommand(*form_);
            for (QWidget* w : std::initializer_list<QWidget*>{form_->Command2, form_->Command3, form_->Combo1})
                enabled += w->isEnabled() ? u"y"_s : u"n"_s;
            enabled += form_->RestoreAction->isEnabled() ? u"y"_s : u"n"_s;
        };
        NO_FAILURE(form_->BackupAction->trigger());
        QCOMPARE(enabled, u"nnnn"_s);
        QVERIFY(dialogs_.Progress.last().endsWith(u"\nCancelled: stopping once scene 1 is over…"_s));
        QCOMPARE(device_->Fetched, QList<int>{1});
        QCOMPARE(Contents(Path(u"scene-001.bin"_s)), first);
        VERIFY_SAID(dialogs_, u"*|36"_s, u"-|The device is busy: a backup is running.*|0"_s,
                    u"Back Up Device|The backup was cancelled.\n\n1 scene saved in * (number 1).|64"_s);
        QVERIFY(form_->Command3->isEnabled() && form_->BackupAction->isEnabled());
    }

    void restoresEveryFileWholeInNumberOrder()
    {
        form_->Session->Pacer().SetGap(FramePacer::DefaultGap);
        // Made out of order, so that no folder lists them in number order.
        const QByteArray big(4000, '\x09');  // over half a second of line time
        Put(Path(u"scene-007.bin"_s), "\x07"), Put(Path(u"scene-010.bin"_s), big);
        Put(Path(u"scene-001.bin"_s), "\x01\x02\x03"), Put(Path(u"scene-003.bin"_s), "\x03");
        Put(Path(u"scene-005.bin"_s), {});
        Put(Path(u"scene-002.bin"_s), QByteArray(MaxSceneBytes + 1, '\x02'));
        QVERIFY(::mkfifo(QFile::encodeName(Path(u"scene-004.bin"_s)).constData(), 0600) == 0);
        QVERIFY(QDir(dir_->path()).mkdir(u"scene-006.bin"_s));
        for (const QString& ignored : {u"scene-000.bin"_s, u"scene-256.bin"_s, u"scene-2.bin"_s, u"notes.txt"_s})
            Put(Path(ignored), "x");
        dialogs_.Answers = {dir_->path(), u"No"_s};
        dialogs_.Checks = {false};  // remembered, even after a No
        NO_FAILURE(form_->RestoreAction->trigger());
        COMPARE_OPENS(*pty_, 0);

        dialogs_ = FakeDialogService({dir_->path()});
        NO_FAILURE(form_->RestoreAction->trigger());
        QCOMPARE(dialogs_.Asked.filter(u"Read each"_s), QStringList{u"Read each scene back to check it [off]"_s});
        // The time left counts the line time and the gaps, and goes down.
        QStringList left;
        for (const QString& shown : dialogs_.Progress)
            left << shown.section(u'\n', -1);
        QCOMPARE(left.first(), u"About 5 s left."_s);
        QCOMPARE(left.last(), u"About 2 s left."_s);
        QVERIFY(std::is_sorted(left.rbegin(), left.rend()));
        QCOMPARE(device_->Fetched, QList<int>{});
        QTRY_COMPARE(device_->Frames,
                     (QList<QByteArray>{SendFrame(1, "\x01\x02\x03"), SendFrame(3, "\x03"), SendFrame(7, "\x07"),
                                        SendFrame(10, big)}));
        const QString skipped =
            u"\n\nSkipped: scene-002.bin (larger than a scene can be), scene-004.bin (a named pipe), "
            "scene-005.bin (empty), scene-006.bin (a folder)."_s;
        QCOMPARE(
            dialogs_.Said,
            (QStringList{u"Restore Device|Send 4 scenes (numbers 1, 3, 7, 10) from %1 to the device on serial port 1? "
                         "The scenes the device holds under those numbers will be replaced.%2|36"_s.arg(
                             QDir::toNativeSeparators(dir_->path()), skipped),
                         u"Restore Device|4 scenes sent to the device (numbers 1, 3, 7, 10).%1|64"_s.arg(skipped)}));
        QVERIFY(serial_->PortOpen());  // until the quiet after the last scene has passed
        QTRY_VERIFY(!serial_->PortOpen());
        COMPARE_OPENS(*pty_, 1);
    }

    void aRestoreStopsOnlyBetweenWholeScenes()
    {
        // Cancel while a frame is still on the line (a second of it): it
        // leaves whole, the next does not go, and a receive (asked for 9)
        // cannot cut in.
        const QByteArray large(4000, '\x07');
        Put(Path(u"scene-001.bin"_s), large), Put(Path(u"scene-002.bin"_s), "\x02");
        dialogs_ = FakeDialogService({dir_->path(), {}, u"9"_s});
        dialogs_.Checks = {false};
        dialogs_.CancelAt = 0;
        dialogs_.WhileProgress = [this] { form_->Command3->click(); };
        NO_FAILURE(form_->RestoreAction->trigger());
        QTRY_COMPARE(device_->Frames, QList<QByteArray>{SendFrame(1, large)});
        VERIFY_SAID(dialogs_, u"*|36"_s,
                    u"Restore Device|The restore was cancelled between two scenes.\n\n1 scene sent to the device "
                    "(number 1).|64"_s);

        // A device that hangs up while a scene drains: that scene was not sent.
        init();
        Put(Path(u"scene-001.bin"_s), QByteArray(8000, '\x03'));
        device_->HangUpAfter = 3000;
        dialogs_ = FakeDialogService({dir_->path()});
        NO_FAILURE(form_->RestoreAction->trigger());
        VERIFY_SAID(dialogs_, u"*|36"_s,
                    u"Restore Device|The restore stopped at scene 1: Serial port 1 was lost while the scene was "
                    "being sent*\n\n0 scenes sent to the device.|48"_s);

        // A device that reads late (a network serial server): what the
        // system still holds when the job ends is not thrown away.
        init();
        const QByteArray held(8000, '\x04');
        Put(Path(u"scene-001.bin"_s), held);
        device_->ReadAtLineSpeed(false);
        device_->Pause(true);
        dialogs_ = FakeDialogService({dir_->path()});
        dialogs_.Checks = {false};
        NO_FAILURE(form_->RestoreAction->trigger());
        VERIFY_SAID(dialogs_, u"*|36"_s, u"Restore Device|1 scene sent to the device (number 1).|64"_s);
        device_->Pause(false);
        QTRY_COMPARE(device_->Frames, QList<QByteArray>{SendFrame(1, held)});
    }

    void verifiesTheDeviceAgainstAFolderAndWritesNothing()
    {
        SceneBytes second = AllValues();
        second[36] = '\xff';
        Put(Path(u"scene-001.bin"_s), "\x01\x02\x03"), Put(Path(u"scene-002.bin"_s), second);
        Put(Path(u"scene-003.bin"_s), "\x03\x03\x03"), Put(Path(u"scene-004.bin"_s), "\x04");
        device_->Replies = {{1, {{10, "\x01\x02\x03"_ba}}}, {2, {{10, AllValues()}}}, {3, {{10, "\x03\x03"_ba}}}};
        const QDateTime before = QFileInfo(Path(u"scene-002.bin"_s)).lastModified();
        dialogs_.Answers = {dir_->path()};
        NO_FAILURE(form_->VerifyAction->trigger());
        QCOMPARE(device_->Fetched, (QList<int>{1, 2, 3, 4}));
        QVERIFY(device_->Frames.isEmpty());
        VERIFY_SAID(dialogs_,
                    u"Verify Device|4 of 4 scenes checked against %1: 1 the same, 3 differ:\nScene 2: 1 "
                    "byte differs, the first at byte 37 (file 255, device 36)\nScene 3: the device holds 2 "
                    "bytes, the file 3\nScene 4: no reply|48"_s.arg(QDir::toNativeSeparators(dir_->path())));
        QVERIFY(dialogs_.Progress.first().startsWith(u"Checking scene 1 (1 of 4)\nSame: 0   Differ: 0"_s));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
        QCOMPARE(QFileInfo(Path(u"scene-002.bin"_s)).lastModified(), before);
        QVERIFY(form_->GridText() == FormatSceneGrid(SceneBytes(256, '\0')) && form_->Label4->text() == u"0"_s);
        QVERIFY(!serial_->PortOpen());
        COMPARE_OPENS(*pty_, 1);

        // Cancelled once the first scene is checked, it finishes the scene in
        // flight and counts only what it checked.
        device_->Fetched.clear();
        dialogs_ = FakeDialogService({dir_->path()});
        dialogs_.CancelAt = 1;
        NO_FAILURE(form_->VerifyAction->trigger());
        QCOMPARE(device_->Fetched, (QList<int>{1, 2}));
        VERIFY_SAID(dialogs_,
                    u"Verify Device|The verify was cancelled.\n\n2 of 4 scenes checked against %1: 1 the "
                    "same, 1 differs:\nScene 2: 1 byte differs, the first at byte 37 (file 255, device "
                    "36)|48"_s.arg(QDir::toNativeSeparators(dir_->path())));
    }

    void aCheckedRestoreSendsAGarbledSceneOnceMore()
    {
        // Scene 2 arrives garbled once, scene 3 every time.
        Put(Path(u"scene-001.bin"_s), "\x01\x02"), Put(Path(u"scene-002.bin"_s), "\x02\x02");
        Put(Path(u"scene-003.bin"_s), "\x03");
        device_->Replies = {{1, {{10, "\x01\x02"_ba}}}, {2, {{10, "\x02\x00"_ba}}}, {3, {{10, "\x09"_ba}}}};
        device_->OnFetch = [this](int n) {
            if (n == 2 && device_->Fetched.count(2) == 2)
                device_->Replies[2] = {{10, "\x02\x02"_ba}};
        };
        dialogs_.Answers = {dir_->path()};
        NO_FAILURE(form_->RestoreAction->trigger());
        QCOMPARE(dialogs_.Asked.filter(u"Read each"_s), QStringList{u"Read each scene back to check it [on]"_s});
        QCOMPARE(device_->Fetched, (QList<int>{1, 2, 2, 3, 3}));
        QCOMPARE(device_->Frames,
                 (QList<QByteArray>{SendFrame(1, "\x01\x02"), SendFrame(2, "\x02\x02"), SendFrame(2, "\x02\x02"),
                                    SendFrame(3, "\x03"), SendFrame(3, "\x03")}));
        VERIFY_SAID(dialogs_, u"*|36"_s,
                    u"Restore Device|3 scenes sent to the device (numbers 1-3).\n3 scenes read back: 1 still "
                    "differs:\nScene 3: 1 byte differs, the first at byte 1 (file 3, device 9)\nSent again, as the "
                    "first copy read back differed, and now the same: number 2.|48"_s);
        COMPARE_OPENS(*pty_, 1);

        // Cancel waits for the scene in flight to be read back.
        device_->Fetched.clear(), device_->Frames.clear();
        dialogs_ = FakeDialogService({dir_->path()});
        dialogs_.CancelAt = 0;
        NO_FAILURE(form_->RestoreAction->trigger());
        QCOMPARE(device_->Fetched, QList<int>{1});
        VERIFY_SAID(dialogs_, u"*|36"_s,
                    u"Restore Device|The restore was cancelled between two scenes.\n\n1 scene sent to the device "
                    "(number 1).\n1 scene read back: all the same.|64"_s);
    }

    void closingTheWindowStopsAJobAfterTheSceneInFlight()
    {
        // The real dialogs: the progress dialog blocks no window, so the
        // window manager's close reaches the window while the job runs.
        const QByteArray first(2000, '\x01');  // half a second on the line
        Put(Path(u"scene-001.bin"_s), first), Put(Path(u"scene-002.bin"_s), "\x02");
        QtDialogService dialogs;
        Form1 form(dialogs, *serial_);
        dialogs.SetParent(&form);
        form.show();
        WhenModal<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, dir_->path()); });
        WhenModal<QMessageBox>([](QMessageBox* box) {
            box->checkBox()->setChecked(false);  // no reading back
            box->button(QMessageBox::Yes)->click();
        });
        NO_FAILURE(form.RestoreAction->trigger());
        VERIFY_EXPECTED_DIALOGS_CAME();
        QTRY_VERIFY(device_->Received() > 0);
        QVERIFY(QGuiApplication::modalWindow() == nullptr && form.Session->JobRunning());
        QCloseEvent close;
        QCoreApplication::sendEvent(form.windowHandle(), &close);
        QVERIFY(form.isVisible());  // until the scene in flight is over
        QTRY_VERIFY(!form.isVisible());
        QVERIFY(serial_->PortOpen());  // until the quiet after the frame has passed
        QTRY_VERIFY(!serial_->PortOpen());
        QTRY_COMPARE(device_->Frames, QList<QByteArray>{SendFrame(1, first)});
        QTest::qWait(500);  // no summary, no second frame
        QCOMPARE(device_->Frames.size(), 1);
    }

private:
    QString Path(const QString& name) const { return dir_->filePath(name); }

    // Backs up the numbers into the folder, answering replace if asked.
    void Backup(const QString& numbers, const QString& replace = {})
    {
        dialogs_ = FakeDialogService({numbers, dir_->path(), replace});
        NO_FAILURE(form_->BackupAction->trigger());
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Pty> pty_;
    std::unique_ptr<Device> device_;
    std::unique_ptr<QtSerialLink> serial_;
    FakeDialogService dialogs_;
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(TestRealPort)
#include "tst_real_port.moc"
