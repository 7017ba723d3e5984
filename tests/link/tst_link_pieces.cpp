// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The device link's logic, through the window, with doubles for the port
// and the dialogs and a clock moved by hand.
#include "app/form1.h"
#include "app/port_combo_box.h"
#include "link/configure_link.h"
#include "link/frames.h"
#include "link/scene_number.h"
#include "link/send_scene.h"
#include "platform/failure.h"
#include "platform/line_settings.h"
#include "support/fake_dialog_service.h"
#include "support/fake_serial_link.h"
#include "support/manual_clock.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

class TestLinkPieces : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        dialogs_ = FakeDialogService{};
        form_.reset();
        serial_.SetPortOpen(false);
        serial_.Log.clear();
        serial_.Written.clear();
        serial_.OpenFailure.reset();
        serial_.OutputFailure.reset();
        serial_.StuckOutput = 0;
        form_ = std::make_unique<Form1>(dialogs_, serial_, clock_);
    }

    void buildsFramesAndReadsSceneNumbers()
    {
        QCOMPARE(SendFrame(7, "\x01\x02\x03"), QByteArray::fromHex("2107cc010203"));
        QCOMPARE(ReceiveRequestFrame(200), QByteArray::fromHex("2cc8cc"));

        for (const QString& ok : {u"1"_s, u"255"_s, u" 5"_s, u"12abc"_s, u"254.6"_s, u"1e2"_s}) {
            dialogs_.InputAnswers = {ok};
            const std::optional<SceneNumberAnswer> got = SceneNumberPrompt(dialogs_, u"Send Scene"_s);
            QVERIFY2(got && got->Typed == ok, qPrintable(ok));
        }
        for (const QString& bad : {u"0"_s, u"256"_s, u"abc"_s, u"255.5"_s, u"-3"_s, u"0.9"_s}) {
            dialogs_.InputAnswers = {bad};
            QVERIFY2(!SceneNumberPrompt(dialogs_, u"Receive Scene"_s), qPrintable(bad));
        }
        QCOMPARE(dialogs_.Messages.size(), 6);
        QCOMPARE(dialogs_.Messages[0].Text, u"The Scene number should be between 1 and 255"_s);
        QCOMPARE(dialogs_.Messages[0].Style, MsgBoxStyle::Information);
        QCOMPARE(dialogs_.Messages[0].Title.value_or(QString()), u"Brindlewick"_s);
        QCOMPARE(dialogs_.InputPrompts[0], u"Send Scene: Scene number ?"_s);
        QVERIFY(!SceneNumberPrompt(dialogs_, u"Send Scene"_s));  // empty answer: no message
        QCOMPARE(dialogs_.Messages.size(), 6);

        QCOMPARE(SendSceneNumber({12, u"12abc"_s}), 12);
        QCOMPARE(SendSceneNumber({2.5, u"2.5"_s}), 2);
        QCOMPARE(ReceiveSceneNumber({5, u" 5 "_s}), 5);
        QCOMPARE(ReceiveSceneNumber({3.5, u"3.5"_s}), 4);
        QVERIFY_THROWS_EXCEPTION(Failure, ReceiveSceneNumber({12, u"12abc"_s}));

        // 8N1 is ten bits a byte.
        QCOMPARE(TransmitSeconds(3840, ParseLineSettings(u"38400,n,8,1"_s)), 1.0);
        QCOMPARE(TransmitSeconds(960, ParseLineSettings(u"9600,e,7,2"_s)), 1.1);
    }

    void configuresThePortFromTheWindow()
    {
        ConfigureLink(*form_);
        QCOMPARE(serial_.Log, (QStringList{u"port 1"_s, u"settings 38400,n,8,1"_s}));
        serial_.Log.clear();
        form_->Combo1->setCurrentText(u"3"_s);
        form_->Option3->setChecked(true);
        serial_.SetPortOpen(true);
        ConfigureLink(*form_);
        QCOMPARE(serial_.Log, (QStringList{u"open"_s, u"close"_s, u"port 3"_s, u"settings 19200,n,8,1"_s}));
    }

    void sendsInOrderAndClosesThePort()
    {
        Form1& f = *form_;
        dialogs_.InputAnswers = {u" 1"_s};
        f.Command2->click();
        QCOMPARE(serial_.Log,
                 (QStringList{u"port 1"_s, u"settings 38400,n,8,1"_s, u"open"_s,
                              u"output 21 01 cc 00 00 00 00 00 00 00 00 00 00 00 00 00"_s, u"close"_s}));
        QCOMPARE(f.Label4->text(), u" 1"_s);  // as typed
        QVERIFY(dialogs_.Messages.isEmpty() && dialogs_.ProgressShown.isEmpty());

        // A scene that takes over half a second shows its progress.
        f.SetGridText(FormatSceneGrid(SceneBytes(4000, '\x05')));
        dialogs_.InputAnswers = {u"12"_s};
        f.Command2->click();
        QCOMPARE(dialogs_.ProgressShown, QStringList{u"Send Scene: Sending scene 12 to the device…"_s});
        QVERIFY(!serial_.PortOpen());

        // An empty grid does nothing; a bad number is reported before the prompt.
        serial_.Log.clear();
        for (const QString& grid : {QString(), u"  \r\n  "_s, u"001 300 002"_s}) {
            f.SetGridText(grid);
            f.Command2->click();
        }
        QCOMPARE(dialogs_.InputPrompts.size(), 2);
        QCOMPARE(dialogs_.Messages.size(), 1);
        QCOMPARE(dialogs_.Messages[0].Text, u"300 is not between 0 and 255"_s);
        QVERIFY(serial_.Log.isEmpty());
    }

    void sendFailuresCloseThePort()
    {
        const QList<std::pair<std::function<void()>, QString>> cases{
            {[this] { serial_.OutputFailure = u"Writing failed."_s; }, u"Writing failed."_s},
            {[this] { serial_.OpenFailure = u"Serial port 1 is in use."_s; }, u"Serial port 1 is in use."_s},
            {[this] { serial_.StuckOutput = 100; }, u"could not be sent within"_s},
            {[this] {
                 dialogs_.ProgressAnswer = ProgressOutcome::Cancelled;
                 form_->SetGridText(FormatSceneGrid(SceneBytes(4000, '\x01')));
             },
             u"may hold only part of scene 9"_s},
        };
        for (const auto& [arrange, said] : cases) {
            init();
            arrange();
            dialogs_.InputAnswers = {u"9"_s};
            form_->Command2->click();
            QVERIFY2(!serial_.PortOpen(), qPrintable(said));
            QCOMPARE(dialogs_.Messages.size(), 1);
            QVERIFY2(dialogs_.Messages[0].Text.contains(said), qPrintable(dialogs_.Messages[0].Text));
            QCOMPARE(dialogs_.Messages[0].Style, MsgBoxStyle::Exclamation);
            QCOMPARE(dialogs_.Messages[0].Title.value_or(QString()), u"TOVRAK Updater"_s);
            QCOMPARE(form_->Label4->text(), u"0"_s);
        }
    }

    void receiveCollectsUntilASecondOfSilence()
    {
        Form1& f = *form_;
        const QString before = f.GridText();
        dialogs_.InputAnswers = {u"5"_s};
        f.Command3->click();
        QCOMPARE(serial_.Log.mid(2), (QStringList{u"open"_s, u"output 2c 05 cc"_s}));
        QCOMPARE(f.Label4->text(), u"5"_s);
        QVERIFY(f.Fields.AwaitingReply && f.Timer1->isActive());
        Tick(0.5);
        Deliver("\x01\x02");
        QVERIFY(!f.Fields.AwaitingReply);
        Tick(0.9);
        Deliver(SceneBytes(17, '\x03'));
        Tick(1.0);  // not more than a second yet
        QCOMPARE(f.GridText(), before);
        Tick(0.01);
        QVERIFY(!serial_.PortOpen());
        QCOMPARE(f.GridText(), FormatSceneGrid(SceneBytes("\x01\x02") + SceneBytes(17, '\x03')));
        QVERIFY(f.Fields.ReceiveBuffer.isEmpty() && f.Fields.LastReceiveTime == 0);
        QVERIFY(!f.Timer1->isActive());
        QVERIFY(dialogs_.Messages.isEmpty());
    }

    void noReplyIsConnectionFailedAndLateBytesStillCount()
    {
        Form1& f = *form_;
        const QString before = f.GridText();
        dialogs_.InputAnswers = {u"5"_s};
        f.Command3->click();
        Tick(1.01);
        Tick(5);
        QCOMPARE(dialogs_.Messages.size(), 1);
        QCOMPARE(dialogs_.Messages[0].Text, u"Connection Failed"_s);
        QCOMPARE(dialogs_.Messages[0].Style, MsgBoxStyle::Exclamation);
        QCOMPARE(dialogs_.Messages[0].Title.value_or(QString()), u"TOVRAK Updater"_s);
        QCOMPARE(f.GridText(), before);
        QVERIFY(serial_.PortOpen() && !f.Timer1->isActive());
        Deliver("\x09");
        QVERIFY(f.Timer1->isActive());
        Tick(1.01);
        QCOMPARE(f.GridText(), u"009 "_s);
        QVERIFY(!serial_.PortOpen());
    }

    void sendAbandonsAWaitingExchange()
    {
        dialogs_.InputAnswers = {u"5"_s, u"6"_s};
        form_->Command3->click();
        form_->Command2->click();
        QVERIFY(!form_->Timer1->isActive());
        Tick(2);
        QVERIFY(dialogs_.Messages.isEmpty());  // no "Connection Failed"
        QCOMPARE(serial_.Written.first(6), QByteArray::fromHex("2c05cc2106cc"));
    }

    void receiveRefusesANumberWithLetters()
    {
        dialogs_.InputAnswers = {u"12abc"_s};
        form_->Command3->click();
        QCOMPARE(dialogs_.Messages.size(), 1);
        QVERIFY(dialogs_.Messages[0].Text.startsWith(u"\"12abc\" is not a scene number"_s));
        QCOMPARE(dialogs_.Messages[0].Style, MsgBoxStyle::OkOnly);
        QVERIFY(!dialogs_.Messages[0].Title);                                          // the application's title
        QCOMPARE(serial_.Log, (QStringList{u"port 1"_s, u"settings 38400,n,8,1"_s}));  // never opened
    }

    void capsAReplyThatNeverEnds()
    {
        const QString before = form_->GridText();
        dialogs_.InputAnswers = {u"5"_s};
        form_->Command3->click();
        for (qsizetype sent = 0; sent <= MaxSceneBytes; sent += 64 * 1024) {
            Tick(0.1);
            Deliver(QByteArray(64 * 1024, '\x07'));
        }
        QCOMPARE(dialogs_.Messages.size(), 1);
        QVERIFY(dialogs_.Messages[0].Text.contains(u"more than a scene can hold"_s));
        QVERIFY(!serial_.PortOpen() && !form_->Timer1->isActive() && form_->Fields.ReceiveBuffer.isEmpty());
        Tick(2);
        QCOMPARE(form_->GridText(), before);

        // Exactly the limit is still a scene.
        init();
        dialogs_.InputAnswers = {u"5"_s};
        form_->Command3->click();
        Deliver(SceneBytes(MaxSceneBytes, '\x01'));
        Tick(1.01);
        QVERIFY(dialogs_.Messages.isEmpty());
        QCOMPARE(form_->GridText().size(), MaxSceneBytes * 4 + MaxSceneBytes / 16 * 2);
    }

    void reportsAPortLostMidExchangeOnly()
    {
        dialogs_.InputAnswers = {u"5"_s};
        form_->Command3->click();
        Deliver("\x01");
        serial_.Lose();
        QCoreApplication::processEvents();
        QCOMPARE(dialogs_.Messages.size(), 1);
        QVERIFY(dialogs_.Messages[0].Text.startsWith(u"Serial port 1 was lost"_s));
        QVERIFY(!form_->Timer1->isActive() && form_->Fields.LastReceiveTime == 0);

        // Lost while idle, after "Connection Failed": nothing to tell.
        init();
        dialogs_.InputAnswers = {u"5"_s};
        form_->Command3->click();
        Tick(1.01);
        serial_.Lose();
        QCoreApplication::processEvents();
        QCOMPARE(dialogs_.Messages.size(), 1);
    }

private:
    void Deliver(const QByteArray& bytes)
    {
        serial_.Deliver(bytes);
        QCoreApplication::processEvents();  // OnComm reaches the window queued
    }

    void Tick(double afterSeconds)
    {
        clock_.Advance(afterSeconds);
        form_->OnTick();
    }

    FakeDialogService dialogs_;
    FakeSerialLink serial_;
    ManualClock clock_;
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(TestLinkPieces)
#include "tst_link_pieces.moc"
