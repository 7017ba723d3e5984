// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The send and receive commands on a real serial port: a pseudo-terminal
// with the scripted device on its far end.
#include "app/form1.h"
#include "app/port_combo_box.h"
#include "link/frames.h"
#include "platform/qt_serial_link.h"
#include "support/fake_dialog_service.h"
#include "support/scripted_device.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

class TestSendReceive : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        pty_ = std::make_unique<Pty>();
        QVERIFY(pty_->IsOpen());
        device_ = std::make_unique<ScriptedDevice>(*pty_);
        dialogs_ = FakeDialogService{};
        serial_ = std::make_unique<QtSerialLink>(
            [this] { return pty_ && pty_->IsOpen() ? QList<PortDevice>{pty_->AsPort()} : QList<PortDevice>{}; });
        form_ = std::make_unique<Form1>(dialogs_, *serial_);
    }

    void cleanup()
    {
        form_.reset();
        serial_.reset();
        device_.reset();
        pty_.reset();
    }

    void sendsTheBlankGridAndASmallScene()
    {
        Click(form_->Command2, u"1"_s);
        QVERIFY(dialogs_.Messages.isEmpty());
        QVERIFY(!serial_->PortOpen());
        QVERIFY(device_->WaitForBytes(259));
        QCOMPARE(device_->Received, SendFrame(1, SceneBytes(256, '\0')));

        device_->Received.clear();
        form_->SetGridText(u"001 002 003"_s);
        Click(form_->Command2, u"7"_s);
        QVERIFY(device_->WaitForBytes(6));
        QTest::qWait(20);
        QCOMPARE(device_->Received, QByteArray::fromHex("2107cc010203"));
    }

    void sendsA64KiBSceneWhole()
    {
        SceneBytes scene(64 * 1024, '\0');
        for (qsizetype i = 0; i < scene.size(); ++i)
            scene[i] = static_cast<char>(i * 7 % 256);
        form_->SetGridText(FormatSceneGrid(scene));
        Click(form_->Command2, u"42"_s);
        // The send has waited until every byte left, then closed the port.
        QVERIFY(dialogs_.Messages.isEmpty());
        QCOMPARE(dialogs_.ProgressShown.size(), 1);
        QVERIFY(!serial_->PortOpen());
        QVERIFY(device_->WaitForBytes(scene.size() + 3));
        QCOMPARE(device_->Received, SendFrame(42, scene));
    }

    void asksForAScene()
    {
        Click(form_->Command3, u"200"_s);
        QVERIFY(device_->WaitForBytes(3));
        QCOMPARE(device_->Received, QByteArray::fromHex("2cc8cc"));
        QCOMPARE(device_->Fetches, QList<int>{200});
        QVERIFY(serial_->PortOpen());  // waiting for the reply
    }

    void takesAReplyInBurstsUntilASecondOfSilence()
    {
        SceneBytes reply;
        for (int i = 0; i < 256; ++i)
            reply.append(static_cast<char>(255 - i));
        device_->Reply = {{50, reply.left(100)}, {400, reply.mid(100, 100)}, {700, reply.mid(200)}};
        QSignalSpy sent(device_.get(), &ScriptedDevice::ReplySent);
        Click(form_->Command3, u"3"_s);
        QVERIFY(sent.wait(5000));
        QElapsedTimer sinceLast;
        sinceLast.start();
        QTRY_VERIFY_WITH_TIMEOUT(!serial_->PortOpen(), 5000);
        QVERIFY(sinceLast.elapsed() >= 1000);
        QCOMPARE(form_->GridText(), FormatSceneGrid(reply));
        QCOMPARE(form_->GridText().count(u"\r\n"_s), 16);
        QVERIFY(dialogs_.Messages.isEmpty());
        QVERIFY(!form_->Timer1->isActive());
    }

    void aLongGapEndsTheReplyEarly()
    {
        device_->Reply = {{20, "\x01\x02\x03"}, {1400, "\x04\x05"}};
        Click(form_->Command3, u"3"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!serial_->PortOpen(), 5000);
        QCOMPARE(form_->GridText(), u"001 002 003 "_s);
        QTest::qWait(600);  // the rest comes to a closed port and is lost
        QCOMPARE(form_->GridText(), u"001 002 003 "_s);
        QVERIFY(dialogs_.Messages.isEmpty());
    }

    void noReplyIsConnectionFailedAfterASecond()
    {
        const QString before = form_->GridText();
        QElapsedTimer waited;
        waited.start();
        Click(form_->Command3, u"9"_s);
        QVERIFY(WaitForMessage(5000));
        const qint64 ms = waited.elapsed();
        QVERIFY2(ms >= 1000 && ms < 1500, qPrintable(QString::number(ms)));
        QCOMPARE(dialogs_.Messages[0].Text, u"Connection Failed"_s);
        QCOMPARE(form_->GridText(), before);
        QVERIFY(serial_->PortOpen());
    }

    void aPortWithNoDeviceEndsInTheErrorMessage()
    {
        form_->Combo1->setCurrentText(u"4"_s);
        Click(form_->Command3, u"9"_s);
        QCOMPARE(dialogs_.Messages.size(), 1);
        QVERIFY(dialogs_.Messages[0].Text.startsWith(u"There is no serial port 4."_s));
        QVERIFY(!dialogs_.Messages[0].Title);
        Click(form_->Command2, u"9"_s);
        QCOMPARE(dialogs_.Messages.size(), 2);
        QVERIFY(dialogs_.Messages[1].Text.startsWith(u"There is no serial port 4."_s));
        QCOMPARE(dialogs_.Messages[1].Title.value_or(QString()), u"TOVRAK Updater"_s);
        QVERIFY(!serial_->PortOpen());
        QVERIFY(!form_->Timer1->isActive());
        QTest::qWait(50);
        QVERIFY(device_->Received.isEmpty());
    }

    void survivesTheFarEndClosingMidReply()
    {
        const QString before = form_->GridText();
        device_->Reply = {{20, SceneBytes(100, '\x01')}, {100, SceneBytes(100, '\x02')}};
        device_->HangUpAfter = 150;
        Click(form_->Command3, u"3"_s);
        QVERIFY(WaitForMessage(5000));
        QVERIFY2(dialogs_.Messages[0].Text.contains(u"was lost"_s), qPrintable(dialogs_.Messages[0].Text));
        QVERIFY(!serial_->PortOpen());
        QVERIFY(!form_->Timer1->isActive());
        QCOMPARE(form_->GridText(), before);
        QTest::qWait(1200);
        QCOMPARE(dialogs_.Messages.size(), 1);  // no "Connection Failed" after it

        // Once the device is back the next command works.
        pty_ = std::make_unique<Pty>();
        device_ = std::make_unique<ScriptedDevice>(*pty_);
        device_->Reply = {{20, "\x05"}};
        Click(form_->Command3, u"3"_s);
        QTRY_VERIFY_WITH_TIMEOUT(form_->GridText() == u"005 "_s, 5000);
    }

private:
    void Click(QPushButton* button, const QString& answer)
    {
        dialogs_.InputAnswers = {answer};
        button->click();
    }

    bool WaitForMessage(int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (dialogs_.Messages.isEmpty() && waited.elapsed() < timeoutMs)
            QTest::qWait(5);
        return !dialogs_.Messages.isEmpty();
    }

    std::unique_ptr<Pty> pty_;
    std::unique_ptr<ScriptedDevice> device_;
    FakeDialogService dialogs_;
    std::unique_ptr<QtSerialLink> serial_;
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(TestSendReceive)
#include "tst_send_receive.moc"
