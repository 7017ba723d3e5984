// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// Whole user stories on the real program: the real window with the real Qt
// dialogs (answered through their own widgets), the real serial port on a
// pseudo-terminal with the scripted device, and real files.
#include "app/form1.h"
#include "app/grid_text_box.h"
#include "link/frames.h"
#include "platform/qt_dialog_service.h"
#include "platform/qt_serial_link.h"
#include "support/files.h"
#include "support/modal.h"
#include "support/scripted_device.h"

#include <QClipboard>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class TestUserStories : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(home_.isValid());
        qputenv("HOME", home_.path().toLocal8Bit());
    }

    void init()
    {
        pty_ = std::make_unique<Pty>();
        device_ = std::make_unique<ScriptedDevice>(*pty_);
        serial_ = std::make_unique<QtSerialLink>(
            [this] { return pty_->IsOpen() ? QList<PortDevice>{pty_->AsPort()} : QList<PortDevice>{}; });
        form_ = std::make_unique<Form1>(dialogs_, *serial_);
        dialogs_.SetParent(form_.get());
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        said_.clear();
    }

    void cleanup()
    {
        form_.reset();
        serial_.reset();
        device_.reset();
        pty_.reset();
    }

    void editsSendsAndReceivesAScene()
    {
        GridTextBox* grid = form_->Text1;
        grid->setFocus();
        grid->moveCursor(QTextCursor::Start);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(grid, Qt::Key_Delete);
        QTest::keyClicks(grid, u"12a3"_s);  // the 'a' is dropped
        AnswerSceneNumber(u"4"_s);
        QTest::mouseClick(form_->Command2, Qt::LeftButton);
        QVERIFY(device_->WaitForBytes(259));
        QCOMPARE(device_->Received.first(4), QByteArray::fromHex("2104cc7b"));
        QCOMPARE(form_->Label4->text(), u"4"_s);

        SceneBytes reply;
        for (int i = 0; i < 20; ++i)
            reply.append(static_cast<char>(i * 13));
        device_->Reply = {{30, reply.first(10)}, {300, reply.sliced(10)}};
        AnswerSceneNumber(u"4"_s);
        QTest::mouseClick(form_->Command3, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form_->GridText(), FormatSceneGrid(reply), 5000);
        QVERIFY(!serial_->PortOpen());
        QVERIFY(said_.isEmpty());
    }

    void saysConnectionFailedWhenTheDeviceIsSilent()
    {
        const QString before = form_->GridText();
        AnswerSceneNumber(u"9"_s);
        WhenMessage();
        QTest::mouseClick(form_->Command3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!said_.isEmpty(), 5000);
        QCOMPARE(said_[0], u"TOVRAK Updater|Connection Failed|2"_s);  // 2: the warning icon
        QCOMPARE(form_->GridText(), before);
    }

    void loadsAndSavesWithTheOverwriteQuestion()
    {
        const QString file = QDir(home_.path()).filePath(u"stored.bin"_s);
        Put(file, "\x01\x02\x03");
        WhenModal<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, file); });
        QTest::mouseClick(form_->Command4, Qt::LeftButton);
        QCOMPARE(form_->GridText(), u"001 002 003 "_s);

        form_->Text1->moveCursor(QTextCursor::End);
        QTest::keyClicks(form_->Text1, u"200"_s);
        for (auto [answer, expected] : {std::pair{QMessageBox::No, QByteArray("\x01\x02\x03")},
                                        std::pair{QMessageBox::Yes, QByteArray("\x01\x02\x03\xc8")}}) {
            WhenModal<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, file); });
            WhenMessage({answer});
            QTest::mouseClick(form_->Command5, Qt::LeftButton);
            QCOMPARE(said_.takeFirst(), u"TOVRAK Updater|File already exists. Overwrite?|4"_s);  // 4: question
            QCOMPARE(Contents(file), expected);
        }
    }

    void clearsAndCancels()
    {
        QTest::mouseClick(form_->Command6, Qt::LeftButton);
        QCOMPARE(form_->GridText(), QString());
        WhenModal<QWidget>([&](QWidget* dialog) { said_ << u"a dialog opened"_s, dialog->close(); }, 300);
        QTest::mouseClick(form_->Command5, Qt::LeftButton);  // nothing to save
        QTest::mouseClick(form_->Command2, Qt::LeftButton);  // nothing to send
        QTest::qWait(400);
        QVERIFY(said_.isEmpty());

        AnswerSceneNumber(u"9"_s);
        WhenMessage();
        QTest::mouseClick(form_->Command3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!said_.isEmpty(), 5000);  // "Connection Failed": the port stays open
        QVERIFY(serial_->PortOpen());
        QTest::mouseClick(form_->Command1, Qt::LeftButton);
        QVERIFY(!form_->isVisible());
        QVERIFY(!serial_->PortOpen());
    }

    // Faults the program must survive: each ends in a clear message, with
    // no hang and nothing lost.

    void aDeviceStreamingWithoutPauseIsCutOff()
    {
        const QString before = form_->GridText();
        device_->StreamChunk = QByteArray(4096, '\x55');
        AnswerSceneNumber(u"3"_s);
        WhenMessage();
        QTest::mouseClick(form_->Command3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!said_.isEmpty(), 20000);
        QVERIFY2(said_[0].startsWith(u"Brindlewick|The device sent more than a scene can hold"_s),
                 qPrintable(said_[0]));
        QVERIFY(device_->Streamed > MaxSceneBytes);
        QVERIFY(!serial_->PortOpen());
        QCOMPARE(form_->GridText(), before);
    }

    void theFarEndClosingMidSendIsReported()
    {
        form_->SetGridText(FormatSceneGrid(SceneBytes(64 * 1024, '\x11')));
        device_->HangUpAfterReceiving = 8 * 1024;
        AnswerSceneNumber(u"5"_s);
        WhenMessage();
        QTest::mouseClick(form_->Command2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!said_.isEmpty(), 10000);
        QVERIFY2(said_[0].startsWith(u"TOVRAK Updater|Serial port 1 was lost while the scene was being sent"_s),
                 qPrintable(said_[0]));
        QVERIFY(!serial_->PortOpen());
        QCOMPARE(form_->Label4->text(), u"0"_s);
    }

    void aPortWithNoDeviceIsExplained()
    {
        device_.reset();
        pty_->CloseMaster();  // no device listed any more
        AnswerSceneNumber(u"5"_s);
        WhenMessage();
        QTest::mouseClick(form_->Command2, Qt::LeftButton);
        QCOMPARE(said_.value(0),
                 u"TOVRAK Updater|There is no serial port 1: no serial port was found on this "
                 "computer. Plug in the serial adapter, then choose its number under Comm Port.|2"_s);
    }

    void aFileThatVanishesAfterTheDialogIsReported()
    {
        const QString file = QDir(home_.path()).filePath(u"brief.bin"_s);
        Put(file, "\x01");
        const QString before = form_->GridText();
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            ChooseFile(dialog, file);
            QFile::remove(file);
        });
        WhenMessage();
        QTest::mouseClick(form_->Command4, Qt::LeftButton);
        QVERIFY2(said_.value(0).contains(u"brief.bin\" is no longer there"_s), qPrintable(said_.value(0)));
        QCOMPARE(form_->GridText(), before);
    }

    void aSaveOntoAReadOnlyDiskKeepsTheOldFile()
    {
        QTemporaryDir mount;
        if (QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=256k"_s, u"tmpfs"_s, mount.path()}) !=
            0)
            QSKIP("cannot mount a tmpfs here (needs root and mount rights)");
        const auto unmount = qScopeGuard([&] { QProcess::execute(u"umount"_s, {mount.path()}); });
        const QString file = mount.filePath(u"kept.bin"_s);
        Put(file, "old");
        QCOMPARE(QProcess::execute(u"mount"_s, {u"-o"_s, u"remount,ro"_s, mount.path()}), 0);

        WhenModal<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, file); });
        WhenMessage({QMessageBox::Yes, QMessageBox::Ok});  // overwrite? yes; then the failure
        QTest::mouseClick(form_->Command5, Qt::LeftButton);
        QCOMPARE(said_.size(), 2);
        QVERIFY2(said_[1].startsWith(u"Save Scene|The scene could not be saved to"_s), qPrintable(said_[1]));
        QCOMPARE(Contents(file), QByteArray("old"));
    }

    void tenMegabytesOfPastedGarbageAreRefused()
    {
        QByteArray noise(10 * 1000 * 1000, '\0');
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<char>((i * 2654435761u) >> 13);  // control characters, NUL, high bytes
        QGuiApplication::clipboard()->setText(u"001 "_s + QString::fromLatin1(noise) + u"\u4e2d\u6587"_s);
        form_->Text1->moveCursor(QTextCursor::End);
        form_->Text1->paste();
        QVERIFY(form_->GridText().size() > 10'000'000);

        const QString file = QDir(home_.path()).filePath(u"never.bin"_s);
        for (QPushButton* command : {form_->Command2, form_->Command5}) {
            said_.clear();
            WhenMessage();
            QTest::mouseClick(command, Qt::LeftButton);
            QCOMPARE(said_.size(), 1);
            QVERIFY2(said_[0].endsWith(u" is not between 0 and 255|3"_s), qPrintable(said_[0].right(80)));  // 3: stop
            QVERIFY(said_[0].size() < 200);
        }
        QVERIFY(!QFile::exists(file));
        QVERIFY(device_->Received.isEmpty());
    }

private:
    // Types answer into the next "Scene number ?" box and presses Enter.
    void AnswerSceneNumber(const QString& answer)
    {
        WhenModal<QInputDialog>([answer](QInputDialog* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>();
            QTest::keyClicks(edit, answer);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }

    // Notes the next message boxes as "title|text|icon", pressing the
    // buttons given in turn.
    void WhenMessage(QList<QMessageBox::StandardButton> presses = {QMessageBox::Ok})
    {
        if (presses.isEmpty())
            return;
        WhenModal<QMessageBox>([this, presses](QMessageBox* box) mutable {
            said_ << u"%1|%2|%3"_s.arg(box->windowTitle(), box->text()).arg(box->icon());
            const QMessageBox::StandardButton press = presses.takeFirst();
            WhenMessage(presses);  // the next box may open as soon as this one closes
            box->button(press)->click();
        });
    }

    QTemporaryDir home_;
    std::unique_ptr<Pty> pty_;
    std::unique_ptr<ScriptedDevice> device_;
    QtDialogService dialogs_;
    std::unique_ptr<QtSerialLink> serial_;
    std::unique_ptr<Form1> form_;
    QStringList said_;
};

QTEST_MAIN(TestUserStories)
#include "tst_user_stories.moc"
