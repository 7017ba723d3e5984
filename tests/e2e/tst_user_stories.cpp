// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// Whole user stories on the real program: the real window with the real Qt
// dialogs (answered through their own widgets), the real serial port on a
// pseudo-terminal whose far end the test plays as the device, real files.
#include "app/form1.h"
#include "app/grid_text_box.h"
#include "link/frames.h"
#include "platform/qt_dialog_service.h"
#include "platform/qt_serial_link.h"
#include "support/modal.h"
#include "support/pty.h"

#include <QInputDialog>
#include <QLabel>

#include <memory>

using namespace Qt::StringLiterals;

class TestUserStories : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init()
    {
        pty_ = std::make_unique<Pty>();
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
        pty_.reset();
        VERIFY_EXPECTED_DIALOGS_CAME();
    }

    void editsAndSendsASceneThenCancels()
    {
        // A 64 KiB scene, edited by keys: the send shows its progress and
        // closes the port only once every byte has left.
        SceneBytes scene(64 * 1024, '\0');
        for (qsizetype i = 0; i < scene.size(); ++i)
            scene[i] = static_cast<char>(i * 7 % 256);
        form_->SetGridText(FormatSceneGrid(scene));
        form_->Text1->setFocus();
        form_->Text1->moveCursor(QTextCursor::Start);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(form_->Text1, Qt::Key_Delete);
        QTest::keyClicks(form_->Text1, u"12a3"_s);  // the 'a' is dropped
        scene[0] = 123;
        QByteArray received;
        AnswerSceneNumber(u"42"_s);
        WhenModal<QProgressDialog>([&](QProgressDialog*) { received = pty_->Read(scene.size() + 3, 10000); });
        Click(form_->Command2);
        QVERIFY(!serial_->PortOpen());
        QCOMPARE(received, SendFrame(42, scene));
        QCOMPARE(form_->Label4->text(), u"42"_s);

        // A receive waits with the port open; Cancel ends it at once and closes the port.
        AnswerSceneNumber(u"3"_s);
        Click(form_->Command3);
        QCOMPARE(pty_->Read(3), QByteArray::fromHex("2c03cc"));
        QVERIFY(serial_->PortOpen());
        QTest::mouseClick(form_->Command1, Qt::LeftButton);
        QVERIFY(!form_->isVisible() && !serial_->PortOpen());
    }

    // Faults the program must survive: each ends in a clear message, with
    // no hang and nothing lost.

    void aDeviceThatHangsUpMidSendIsReportedOnce()
    {
        form_->SetGridText(FormatSceneGrid(SceneBytes(64 * 1024, '\x11')));
        AnswerSceneNumber(u"5"_s);
        WhenModal<QProgressDialog>([&](QProgressDialog*) { pty_->Read(8 * 1024), pty_->HangUp(); });
        WhenMessage();
        Click(form_->Command2);
        QVERIFY2(said_.value(0).startsWith(u"TOVRAK Updater|Serial port 1 was lost while the scene was being sent"_s),
                 qPrintable(said_.value(0)));
        QVERIFY(!serial_->PortOpen());
        QCOMPARE(form_->Label4->text(), u"0"_s);
        QTest::qWait(1200);  // a second report, or a "Connection Failed", would be a stray dialog
    }

private:
    void Click(QPushButton* command) { NO_FAILURE(QTest::mouseClick(command, Qt::LeftButton)); }

    // Types answer into the next "Scene number ?" box and presses Enter.
    void AnswerSceneNumber(const QString& answer)
    {
        WhenModal<QInputDialog>([answer](QInputDialog* dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit*>(), answer);
            QTest::keyClick(dialog->findChild<QLineEdit*>(), Qt::Key_Return);
        });
    }

    // Notes the next message box as "title|text|icon" and presses press.
    void WhenMessage(QMessageBox::StandardButton press = QMessageBox::Ok)
    {
        WhenModal<QMessageBox>([this, press](QMessageBox* box) {
            said_ << u"%1|%2|%3"_s.arg(box->windowTitle(), box->text()).arg(box->icon());
            box->button(press)->click();
        });
    }

    std::unique_ptr<Pty> pty_;
    QtDialogService dialogs_;
    std::unique_ptr<QtSerialLink> serial_;
    std::unique_ptr<Form1> form_;
    QStringList said_;
};

QTEST_MAIN(TestUserStories)
#include "tst_user_stories.moc"
