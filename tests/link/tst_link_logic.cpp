// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The device link's logic through the window, on test doubles: frames,
// scene numbers and lists, port set-up, the send and the receive exchange.
#include "app/port_combo_box.h"
#include "files/scene_file.h"
#include "link/configure_link.h"
#include "link/exchange.h"
#include "link/frame_drain.h"
#include "link/frames.h"
#include "link/job_command.h"
#include "link/scene_list.h"
#include "link/scene_number.h"
#include "platform/line_settings.h"
#include "support/window_fixture.h"

using namespace Qt::StringLiterals;

namespace {

const QString Blank = FormatSceneGrid(SceneBytes(256, '\0'));
const QString Range = u"Brindlewick|The Scene number should be between 1 and 255|64"_s;
const QString Setup = u"port 1|settings 38400,n,8,1|"_s;

}  // namespace

class TestLinkLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { w_.Reset(); }

    void buildsFramesAndReadsSceneNumbers()
    {
        QCOMPARE(SendFrame(7, "\x01\x02\x03"), QByteArray::fromHex("2107cc010203"));
        QCOMPARE(ReceiveRequestFrame(200), QByteArray::fromHex("2cc8cc"));
        // 8N1 is ten bits a byte; 7E2 eleven.
        QCOMPARE(TransmitSeconds(3840, ParseLineSettings(u"38400,n,8,1"_s)), 1.0);
        QCOMPARE(TransmitSeconds(960, ParseLineSettings(u"9600,e,7,2"_s)), 1.1);

        // Accepted as typed, or refused with the range message; blanks are an
        // answer (they read as 0), an empty one (or Cancel) is not.
        const QStringList accepted{u"1"_s, u"255"_s, u" 5"_s, u"12abc"_s, u"254.6"_s, u"1e2"_s};
        for (const QString& typed :
             accepted + QStringList{u"0"_s, u"256"_s, u"abc"_s, u"255.5"_s, u"-3"_s, u"0.9"_s, u"   "_s, QString()}) {
            w_.Dialogs = FakeDialogService({typed});
            const std::optional<SceneNumberAnswer> got = SceneNumberPrompt(w_.Dialogs, u"Send Scene"_s);
            const bool good = accepted.contains(typed);
            QCOMPARE(got ? got->Typed : u"refused"_s, good ? typed : u"refused"_s);
            QCOMPARE(w_.Dialogs.Said, good || typed.isEmpty() ? QStringList() : QStringList{Range});
            QCOMPARE(w_.Dialogs.Asked, QStringList{u"Send Scene: Scene number ?"_s});
        }
        QCOMPARE(SendSceneNumber({12, u"12abc"_s}), 12);
        QCOMPARE(SendSceneNumber({2.5, u"2.5"_s}), 2);
        QCOMPARE(ReceiveSceneNumber({5, u" 5 "_s}), 5);
        QCOMPARE(ReceiveSceneNumber({3.5, u"3.5"_s}), 4);
        QVERIFY_THROWS_EXCEPTION(Failure, ReceiveSceneNumber({12, u"12abc"_s}));
    }

    void readsListsOfSceneNumbers()
    {
        // "text=the numbers as ranges, or the start of the message"
        // clang-format off
        const QStringList cases{
            u"1-255=1-255"_s, u" 1 - 10, 20 33-40 =1-10, 20, 33-40"_s, u"5,5,4-6=4-6"_s, u"255=255"_s, u"0=0: scene"_s,
            u"256=256: scene"_s, u"1-256=1-256: scene"_s, u"10-5=10-5: a range goes"_s, u"1,x=\"x\" is not"_s,
            u"1--2=\"1--2\" is not"_s, u", ,=No scene numbers"_s};
        // clang-format on
        for (const QString& c : cases) {
            const SceneList list = ParseSceneList(c.section(u'=', 0, 0));
            const QString got = list.Error.isEmpty() ? FormatSceneRanges(list.Numbers) : list.Error;
            QVERIFY2(got.startsWith(c.section(u'=', 1)), qPrintable(c + u" gave "_s + got));
        }
        QCOMPARE(SceneFileName(7), u"scene-007.bin"_s);

        // A summary past a screenful of scenes keeps the whole list in its details.
        for (const int count : {12, 20}) {
            QStringList lines;
            for (int n = 1; n <= count; ++n)
                lines << u"Scene %1: no reply"_s.arg(n);
            FakeDialogService dialogs;
            ShowSummary(dialogs, u"Head:"_s, lines, u"\n\nTail."_s, MsgBoxStyle::Exclamation, u"Verify Device"_s);
            const QStringList shown =
                count == 12 ? lines : lines.first(11) << u"…and 9 more: the whole list is in the details."_s;
            QCOMPARE(dialogs.Said, QStringList{u"Verify Device|Head:\n%1\n\nTail.|48"_s.arg(shown.join(u'\n'))});
            QCOMPARE(dialogs.Details, count == 12 ? QStringList() : QStringList{lines.join(u'\n')});
        }
    }

    void configuresThePortFromTheWindow()
    {
        w_.Form->Combo1->setCurrentText(u"3"_s);
        w_.Form->Option3->setChecked(true);
        w_.Serial->SetPortOpen(true);
        NO_FAILURE(ConfigureLink(*w_.Form));
        QCOMPARE(w_.Serial->Log.join(u'|'), u"open|close|port 3|settings 19200,n,8,1"_s);
    }

    void sendsTheFrameAndClosesThePort()
    {
        Form1& f = *w_.Form;
        // A frame counts as gone once the port holds none of it and the line
        // has had time to carry it: 259 bytes at 38400, 67 ms from when it
        // was handed over, though the port took it at once.
        w_.Dialogs.Answers = {u" 1"_s};
        f.Command2->click();
        w_.Tick(0.067);
        QVERIFY(f.Session->Busy() && w_.Serial->PortOpen());
        w_.Tick(0.001);
        QTRY_VERIFY(!f.Session->Busy());
        const QString sent = Setup + u"open|output 21 01 cc 00 00 00 00 00 00 00 00 00 00 00 00 00"_s;
        QCOMPARE(w_.Serial->Log.join(u'|'), sent);
        QCOMPARE(w_.Serial->Written, SendFrame(1, SceneBytes(256, '\0')));
        QCOMPARE(f.Label4->text(), u" 1"_s);                                 // as typed
        QVERIFY(w_.Dialogs.Said.isEmpty() && w_.Dialogs.Asked.size() == 1);  // no progress

        // What follows is held back until the line has then been quiet for
        // a second, so that the device can tell the frames apart; the port
        // stays open meanwhile, so that no other program writes into it.
        CLICK(w_, Command3, u"2"_s);
        QCOMPARE(f.Label4->text(), u"2"_s);
        w_.Tick(0.99);
        QCOMPARE(w_.Serial->Written.size(), 259);
        w_.Tick(0.02);
        QCOMPARE(w_.Serial->Written.sliced(259), QByteArray::fromHex("2c02cc"));
        QCOMPARE(w_.Serial->Log.join(u'|'), sent + u"|settings 38400,n,8,1|output 2c 02 cc"_s);
        QVERIFY(f.Fields.AwaitingReply && f.Timer1->isActive());
        w_.Serial->Log.clear(), w_.Dialogs.Asked.clear();

        // A scene that takes over half a second shows its progress; bytes
        // arriving meanwhile are no reply and never reach the grid.
        const QString long_ = FormatSceneGrid(SceneBytes(4000, '\x05'));
        f.SetGridText(long_);
        w_.Dialogs.WhileProgress = [this] { w_.Deliver("\x07\x08"), w_.Tick(1.1); };
        CLICK(w_, Command2, u"12"_s);
        QCOMPARE(w_.Dialogs.Asked.last(), u"Send Scene: Sending scene 12 to the device…"_s);
        // With nothing after it, the port is given back once the quiet has passed.
        QVERIFY(w_.Serial->PortOpen() && !f.Timer1->isActive());
        w_.Tick(0.99);
        QVERIFY(w_.Serial->PortOpen());
        w_.Tick(0.02);
        QVERIFY(!w_.Serial->PortOpen());
        w_.Tick(3);
        QCOMPARE(f.GridText(), long_);

        // A click that comes while a frame drains waits for it.
        f.SetGridText(Blank);
        w_.Serial->StuckOutput = 1;
        w_.Dialogs = FakeDialogService({u"3"_s, u"4"_s});
        f.Command2->click(), f.Command3->click();
        QCOMPARE(w_.Dialogs.Asked.size(), 1);
        w_.Serial->StuckOutput = 0;
        w_.Settle();
        QTRY_VERIFY(f.Session->Pacer().Holding());  // and then for the line to fall quiet
        w_.Tick(1.1);
        QVERIFY(f.Fields.AwaitingReply && f.Timer1->isActive());
        QCOMPARE(w_.Serial->Written.right(3), QByteArray::fromHex("2c04cc"));
        QCOMPARE(f.Label4->text(), u"4"_s);

        // An empty grid does nothing; a bad number is reported before the prompt.
        w_.Serial->Log.clear(), w_.Dialogs.Asked.clear();
        for (const QString& grid : {QString(), u"  \r\n  "_s, u"001 300 002"_s}) {
            f.SetGridText(grid);
            CLICK(w_, Command2, u"3"_s);
        }
        VERIFY_SAID(w_.Dialogs, u"Send Scene|300 is not between 0 and 255|16"_s);
        QVERIFY(w_.Serial->Log.isEmpty() && w_.Dialogs.Asked.isEmpty());
    }

    void theDrainFindsWhenAFrameHasLeftOrWhyNot()
    {
        FakeSerialLink port;
        port.SetSettings(u"9600,n,8,1"_s);  // 960 bytes take a second
        port.SetPortOpen(true);
        ManualClock clock;
        FrameDrain drain(port, clock);
        QList<std::pair<qint64, qint64>> progress;
        std::optional<std::optional<Failure>> ended;
        connect(&drain, &FrameDrain::Progressed,
                [&](qint64 sent, qint64 total) { progress << std::pair(sent, total); });
        connect(&drain, &FrameDrain::Ended, [&](const std::optional<Failure>& failure) { ended = failure; });
        const auto start = [&](qint64 size, qint64 stuck) {
            progress.clear(), ended.reset(), port.Looks = 0, port.StuckOutput = stuck;
            drain.Start(QByteArray(size, 'x'));
        };

        // What has left, as far as the line can have carried it, and not
        // what is left; a frame not gone at the first look keeps its
        // deadline (twice its line time and two seconds).
        start(960, 400);
        QTRY_VERIFY(!progress.isEmpty());
        QCOMPARE(progress.last(), std::pair(0LL, 960LL));
        clock.Seconds += 0.5;
        QTRY_COMPARE(progress.last(), std::pair(480LL, 960LL));
        clock.Seconds += 1;
        QTRY_COMPARE(progress.last(), std::pair(560LL, 960LL));
        QTest::qWait(20);
        QVERIFY(!ended && drain.Draining());
        clock.Seconds += 2.6;
        QTRY_VERIFY(ended.has_value());
        QCOMPARE(ended->value().Number, FailureNumber::SendTimedOut);
        QVERIFY2(ended->value().Description.contains(u"within 4 seconds: 400 of 960 bytes are still waiting"_s),
                 qPrintable(ended->value().Description));

        // Whole, once it has all left and the line is still there; lost,
        // when the line hangs up as its last bytes leave.
        for (const bool hangsUp : {false, true}) {
            port.LoseOnFinish = hangsUp;
            start(960, 0);
            clock.Seconds += 1.001;
            QTRY_VERIFY(ended.has_value());
            QCOMPARE(progress.last(), std::pair(960LL, 960LL));
            QCOMPARE(ended->has_value() ? ended->value().Number : 0, hangsUp ? FailureNumber::PortLost : 0);
            port.SetPortOpen(true);
        }
        port.LoseOnFinish = false;

        // While much is queued the port is looked at every 50 ms, and every
        // millisecond once little is, so that the end is found at once.
        for (const auto& [queued, fewest, most] : {std::tuple(5000, 0, 8), std::tuple(100, 15, 400)}) {
            start(6000, queued);
            QTest::qWait(300);
            drain.Stop();
            QVERIFY2(port.Looks >= fewest && port.Looks <= most, qPrintable(QString::number(port.Looks)));
        }
    }

    void sendFailuresCloseThePort()
    {
        const QList<std::pair<std::function<void()>, QString>> cases{
            {[this] { w_.Serial->OutputFailure = u"Writing failed."_s; }, u"Writing failed."_s},
            {[this] { w_.Serial->OpenFailure = u"Serial port 1 is in use."_s; }, u"Serial port 1 is in use."_s},
            {[this] { w_.Serial->StuckOutput = 100; }, u"The scene could not be sent within *"_s},
            {[this] {
                 w_.Dialogs.CancelAt = 0;
                 w_.Form->SetGridText(FormatSceneGrid(SceneBytes(4000, '\x01')));
             },
             u"*may hold only part of scene 9*"_s}};
        for (const auto& [arrange, said] : cases) {
            w_.Reset();
            arrange();
            w_.Dialogs.Answers = {u"9"_s};
            NO_FAILURE(w_.Form->Command2->click());
            w_.Clock.Seconds += 3;  // the time a stuck line is given
            w_.Settle();
            w_.Tick(1.01);  // the quiet after what went out
            QVERIFY(!w_.Serial->PortOpen());
            VERIFY_SAID(w_.Dialogs, u"TOVRAK Updater|"_s + said + u"|48"_s);
            QCOMPARE(w_.Form->Label4->text(), u"0"_s);
        }
        // Output still queued when a send fails is dropped, not left to trickle out.
        QVERIFY(w_.Serial->Log.contains(u"discard"_s));

        // Closing the window waits for the frame in flight.
        w_.Reset();
        w_.Serial->StuckOutput = 1;
        w_.Dialogs.Answers = {u"5"_s};
        w_.Form->Command2->click(), w_.Form->close();
        w_.Serial->StuckOutput = 0;
        w_.Settle();
        QTRY_VERIFY(!w_.Form->isVisible());
        w_.Tick(1.01);
        QCOMPARE(w_.Serial->Log.join(u'|'),
                 Setup + u"open|output 21 05 cc 00 00 00 00 00 00 00 00 00 00 00 00 00|close"_s);
        QCOMPARE(w_.Form->Label4->text(), u"5"_s);

        // Cancel while a send waits for the quiet after the one before: it
        // has not started, so it is dropped and the window closes at once.
        w_.Reset();
        w_.Form->show();
        CLICK(w_, Command2, u"6"_s);
        w_.Dialogs.Answers = {u"7"_s};
        w_.Form->Command2->click();
        QVERIFY(w_.Form->Session->SendHeld());
        w_.Form->Command1->click();
        QVERIFY(!w_.Form->isVisible() && !w_.Form->Session->Busy());
        w_.Tick(1.1);
        QCOMPARE(w_.Serial->Written, SendFrame(6, SceneBytes(256, '\0')));
        QVERIFY(!w_.Serial->PortOpen() && w_.Dialogs.Said.isEmpty());
    }

    void receiveCollectsUntilASecondOfSilence()
    {
        Form1& f = *w_.Form;
        QCOMPARE(f.Timer1->timerType(), Qt::PreciseTimer);  // a coarse one finds the silence up to 50 ms late
        CLICK(w_, Command3, u" 5"_s);
        QCOMPARE(w_.Serial->Log.join(u'|'), Setup + u"open|output 2c 05 cc"_s);
        QCOMPARE(f.Label4->text(), u" 5"_s);  // as typed
        QVERIFY(f.Session->Now() == DeviceSession::Activity::Waiting && f.Fields.AwaitingReply && f.Timer1->isActive());
        w_.Tick(0.5);
        w_.Serial->Deliver("\x01\x02");
        QVERIFY(f.Fields.AwaitingReply);  // handled later, never inside the port's own notification
        QCoreApplication::processEvents();
        QVERIFY(f.Session->Now() == DeviceSession::Activity::Collecting && !f.Fields.AwaitingReply);
        w_.Tick(0.9);
        w_.Deliver(SceneBytes(17, '\x03'));
        w_.Tick(1.0);  // not more than a second yet
        QCOMPARE(f.GridText(), Blank);
        w_.Tick(0.01);
        QVERIFY(!w_.Serial->PortOpen() && !f.Timer1->isActive() && w_.Dialogs.Said.isEmpty());
        QCOMPARE(f.GridText(), FormatSceneGrid(SceneBytes("\x01\x02") + SceneBytes(17, '\x03')));
        QVERIFY(f.Fields.ReceiveBuffer.isEmpty() && f.Fields.LastReceiveTime == 0);

        // After a stall a tick can come before the notification of bytes that
        // came in time: those the port holds continue the reply, and those
        // its driver holds are read before the silence is judged.
        CLICK(w_, Command3, u"8"_s);
        w_.Tick(0.5);
        w_.Serial->Deliver("\x01");  // its notification still queued
        w_.Tick(0.6);
        w_.Serial->InDriver = "\x02";
        w_.Tick(1.01);
        QVERIFY(f.Timer1->isActive() && f.Fields.LastReceiveTime != 0);
        w_.Deliver(std::exchange(w_.Serial->InDriver, {}));
        w_.Tick(1.01);
        QCOMPARE(f.GridText(), u"001 002 "_s);

        // A second click starts afresh: the part-reply it abandons never joins the new one.
        CLICK(w_, Command3, u"6"_s);
        w_.Deliver("\x09");
        CLICK(w_, Command3, u"7"_s);
        w_.Deliver("\x0a");
        w_.Tick(1.01);
        QCOMPARE(f.GridText(), u"010 "_s);
        QCOMPARE(w_.Serial->Written.right(6), QByteArray::fromHex("2c06cc2c07cc"));
    }

    void noReplyIsConnectionFailedUnlessAnotherCommandEndsTheWait()
    {
        Form1& f = *w_.Form;
        CLICK(w_, Command3, u"5"_s);
        w_.Tick(1.01);
        w_.Tick(5);
        VERIFY_SAID(w_.Dialogs, u"TOVRAK Updater|Connection Failed|48"_s);
        QCOMPARE(f.GridText(), Blank);
        QVERIFY(w_.Serial->PortOpen() && !f.Timer1->isActive());
        w_.Deliver("\x09");
        QVERIFY(f.Timer1->isActive());
        w_.Tick(1.01);
        QCOMPARE(f.GridText(), u"009 "_s);
        QVERIFY(!w_.Serial->PortOpen());

        // Another command ends the wait: a send abandons it, with no "Connection Failed".
        w_.Reset();
        CLICK(w_, Command3, u"5"_s);
        CLICK(w_, Command2, u"6"_s);
        QVERIFY(!w_.Form->Timer1->isActive());
        w_.Tick(2);
        QVERIFY(w_.Dialogs.Said.isEmpty());
        QCOMPARE(w_.Serial->Written.first(6), QByteArray::fromHex("2c05cc2106cc"));

        // So does a receive refused for its number, before the port is opened again.
        w_.Reset();
        CLICK(w_, Command3, u"5"_s);
        w_.Serial->Log.clear();
        CLICK(w_, Command3, u"12abc"_s);
        w_.Tick(2);
        VERIFY_SAID(w_.Dialogs, u"-|\"12abc\" is not a scene number*|0"_s);
        QCOMPARE(w_.Serial->Log.join(u'|') + u'|', u"close|"_s + Setup);
    }

    void capsAReplyThatNeverEndsAndReportsALostPortOnce()
    {
        CLICK(w_, Command3, u"5"_s);
        for (qsizetype sent = 0; sent <= MaxSceneBytes; sent += 64 * 1024) {
            w_.Tick(0.1);
            w_.Deliver(QByteArray(64 * 1024, '\x07'));
        }
        VERIFY_SAID(w_.Dialogs, u"-|The device sent more than a scene can hold*|0"_s);
        QVERIFY(!w_.Serial->PortOpen() && !w_.Form->Timer1->isActive() && w_.Form->Fields.ReceiveBuffer.isEmpty());
        w_.Tick(2);
        QCOMPARE(w_.Form->GridText(), Blank);

        // Exactly the limit is still a scene.
        w_.Reset();
        CLICK(w_, Command3, u"5"_s);
        w_.Deliver(SceneBytes(MaxSceneBytes, '\x01'));
        w_.Tick(1.01);
        QVERIFY(w_.Dialogs.Said.isEmpty());
        QCOMPARE(w_.Form->GridText().size(), MaxSceneBytes * 4 + MaxSceneBytes / 16 * 2);

        // A port lost mid-exchange is reported; lost while idle, after
        // "Connection Failed", there is nothing to tell.
        w_.Reset();
        CLICK(w_, Command3, u"5"_s);
        w_.Deliver("\x01");
        w_.Serial->Lose();
        QCoreApplication::processEvents();
        QVERIFY(!w_.Form->Timer1->isActive() && w_.Form->Fields.LastReceiveTime == 0);
        CLICK(w_, Command3, u"5"_s);
        w_.Tick(1.01);
        w_.Serial->Lose();
        QCoreApplication::processEvents();
        VERIFY_SAID(w_.Dialogs, u"-|Serial port 1 was lost*|0"_s, u"TOVRAK Updater|Connection Failed|48"_s);
        QCOMPARE(w_.Form->GridText(), Blank);
    }

private:
    WindowFixture w_;
};

QTEST_MAIN(TestLinkLogic)
#include "tst_link_logic.moc"
