#include "app/form1.h"
#include "app/grid_text_box.h"
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
    void init();
    void buildsFramesByteForByte();
    void asksForTheSceneNumber_data();
    void asksForTheSceneNumber();
    void readsTheNumberForSendAndForReceive();
    void configuresThePortFromTheWindow();
    void sendsInOrderAndClosesThePort();
    void sendsNothingForAnEmptyOrBadGrid();
    void sendFailuresCloseThePort();
    void receiveCollectsUntilASecondOfSilence();
    void noReplyIsConnectionFailedAndLateBytesStillCount();
    void sendAbandonsAWaitingExchange();
    void receiveRefusesANumberWithLetters();
    void capsAReplyThatNeverEnds();
    void reportsAPortLostMidExchange();

private:
    void Deliver(const QByteArray& bytes);
    void Tick(double afterSeconds);

    FakeDialogService dialogs_;
    FakeSerialLink serial_;
    ManualClock clock_;
    std::unique_ptr<Form1> form_;
};

void TestLinkPieces::init()
{
    dialogs_ = FakeDialogService{};
    form_.reset();
    if (serial_.PortOpen())
        serial_.SetPortOpen(false);
    serial_.Log.clear();
    serial_.Written.clear();
    serial_.OpenFailure.reset();
    serial_.OutputFailure.reset();
    serial_.StuckOutput = 0;
    form_ = std::make_unique<Form1>(dialogs_, serial_, clock_);
}

void TestLinkPieces::Deliver(const QByteArray& bytes)
{
    serial_.Deliver(bytes);
    QCoreApplication::processEvents();  // OnComm reaches the window queued
}

void TestLinkPieces::Tick(double afterSeconds)
{
    clock_.Advance(afterSeconds);
    form_->OnTick();
}

void TestLinkPieces::buildsFramesByteForByte()
{
    QCOMPARE(SendFrame(7, "\x01\x02\x03"), QByteArray::fromHex("2107cc010203"));
    QCOMPARE(ReceiveRequestFrame(200), QByteArray::fromHex("2cc8cc"));
    QCOMPARE(ReceiveRequestFrame(1), QByteArray::fromHex("2c01cc"));
    const QByteArray blank = SendFrame(255, SceneBytes(256, '\0'));
    QCOMPARE(blank.size(), 259);
    QCOMPARE(blank.left(3), QByteArray::fromHex("21ffcc"));
    QCOMPARE(blank.mid(3), SceneBytes(256, '\0'));
}

void TestLinkPieces::asksForTheSceneNumber_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("accepted");
    for (const QString& ok : {u"1"_s, u"255"_s, u" 5"_s, u"12abc"_s, u"254.6"_s, u"1e2"_s})
        QTest::newRow(qPrintable(ok)) << ok << true;
    for (const QString& bad : {u"0"_s, u"256"_s, u"abc"_s, u"255.5"_s, u"-3"_s, u"0.9"_s})
        QTest::newRow(qPrintable(bad)) << bad << false;
}

void TestLinkPieces::asksForTheSceneNumber()
{
    QFETCH(QString, answer);
    QFETCH(bool, accepted);
    dialogs_.InputAnswers = {answer};
    const std::optional<SceneNumberAnswer> got = SceneNumberPrompt(dialogs_, u"Send Scene"_s);
    QCOMPARE(dialogs_.InputPrompts, QStringList{u"Send Scene: Scene number ?"_s});
    QCOMPARE(got.has_value(), accepted);
    if (accepted) {
        QCOMPARE(got->Typed, answer);
        QVERIFY(dialogs_.Messages.isEmpty());
    } else {
        QCOMPARE(dialogs_.Messages.size(), 1);
        QCOMPARE(dialogs_.Messages[0].Text, u"The Scene number should be between 1 and 255"_s);
        QCOMPARE(dialogs_.Messages[0].Style, MsgBoxStyle::Information);
        QCOMPARE(dialogs_.Messages[0].Title.value_or(QString()), u"Brindlewick"_s);
    }

    // An empty answer (or Cancel) stops without a word.
    dialogs_.Messages.clear();
    QVERIFY(!SceneNumberPrompt(dialogs_, u"Receive Scene"_s));
    QVERIFY(dialogs_.Messages.isEmpty());
}

void TestLinkPieces::readsTheNumberForSendAndForReceive()
{
    QCOMPARE(SendSceneNumber({12, u"12abc"_s}), 12);
    QCOMPARE(SendSceneNumber({2.5, u"2.5"_s}), 2);
    QCOMPARE(SendSceneNumber({254.6, u"254.6"_s}), 255);
    QCOMPARE(ReceiveSceneNumber({5, u" 5 "_s}), 5);
    QCOMPARE(ReceiveSceneNumber({100, u"1e2"_s}), 100);
    QCOMPARE(ReceiveSceneNumber({3.5, u"3.5"_s}), 4);
    for (const QString& notWhole : {u"12abc"_s, u"5e"_s, u"5 5"_s}) {
        try {
            ReceiveSceneNumber({NumericValue(notWhole), notWhole});
            QFAIL(qPrintable(notWhole + u" was taken as a whole number"_s));
        } catch (const Failure& failure) {
            QVERIFY2(failure.Description.contains(u'"' + notWhole + u'"'), qPrintable(failure.Description));
        }
    }

    // 8N1 is ten bits a byte: 256 bytes at 38400 take 67 ms.
    QCOMPARE(TransmitSeconds(3840, ParseLineSettings(u"38400,n,8,1"_s)), 1.0);
    QCOMPARE(TransmitSeconds(960, ParseLineSettings(u"9600,e,7,2"_s)), 1.1);
}

void TestLinkPieces::configuresThePortFromTheWindow()
{
    Form1& f = *form_;
    ConfigureLink(f);
    QCOMPARE(serial_.Log, (QStringList{u"port 1"_s, u"settings 38400,n,8,1"_s}));

    serial_.Log.clear();
    f.Combo1->setCurrentText(u"3"_s);
    f.Option3->setChecked(true);
    serial_.SetPortOpen(true);
    ConfigureLink(f);
    QCOMPARE(serial_.Log, (QStringList{u"open"_s, u"close"_s, u"port 3"_s, u"settings 19200,n,8,1"_s}));
    QVERIFY(!serial_.PortOpen());
}

void TestLinkPieces::sendsInOrderAndClosesThePort()
{
    Form1& f = *form_;
    dialogs_.InputAnswers = {u" 1"_s};
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    QCOMPARE(serial_.Log, (QStringList{u"port 1"_s, u"settings 38400,n,8,1"_s, u"open"_s,
                                       u"output 21 01 cc 00 00 00 00 00 00 00 00 00 00 00 00 00"_s, u"close"_s}));
    QCOMPARE(serial_.Written, SendFrame(1, SceneBytes(256, '\0')));
    QCOMPARE(f.Label4->text(), u" 1"_s);
    QVERIFY(dialogs_.Messages.isEmpty());
    QVERIFY(dialogs_.ProgressShown.isEmpty());  // 70 ms on the line: no progress dialog
    QVERIFY(!f.Timer1->isActive());

    // '12abc' stores under 12; a long scene shows its progress.
    serial_.Written.clear();
    f.SetGridText(FormatSceneGrid(SceneBytes(4000, '\x05')));
    dialogs_.InputAnswers = {u"12abc"_s};
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    QCOMPARE(serial_.Written.left(3), QByteArray::fromHex("210ccc"));
    QCOMPARE(serial_.Written.size(), 4003);
    QCOMPARE(dialogs_.ProgressShown, QStringList{u"Send Scene: Sending scene 12 to the device…"_s});
    QVERIFY(!serial_.PortOpen());
}

void TestLinkPieces::sendsNothingForAnEmptyOrBadGrid()
{
    Form1& f = *form_;
    for (const QString& grid : {QString(), u"  \r\n  "_s}) {
        f.SetGridText(grid);
        QTest::mouseClick(f.Command2, Qt::LeftButton);
    }
    QVERIFY(dialogs_.InputPrompts.isEmpty());
    QVERIFY(dialogs_.Messages.isEmpty());

    f.SetGridText(u"001 300 002"_s);
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    QVERIFY(dialogs_.InputPrompts.isEmpty());
    QCOMPARE(dialogs_.Messages.size(), 1);
    QCOMPARE(dialogs_.Messages[0].Text, u"300 is not between 0 and 255"_s);
    QCOMPARE(dialogs_.Messages[0].Title.value_or(QString()), u"Send Scene"_s);
    QVERIFY(serial_.Log.isEmpty());
}

void TestLinkPieces::sendFailuresCloseThePort()
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        QString said;
    };
    const QList<Case> cases{
        {"write fails", [this] { serial_.OutputFailure = u"Writing to Serial port 1 failed."_s; },
         u"Writing to Serial port 1 failed."_s},
        {"open fails", [this] { serial_.OpenFailure = u"Serial port 1 is in use by another program."_s; },
         u"Serial port 1 is in use by another program."_s},
        {"bytes never leave", [this] { serial_.StuckOutput = 100; }, u"could not be sent within"_s},
        {"progress cancelled",
         [this] {
             dialogs_.ProgressAnswer = ProgressOutcome::Cancelled;
             form_->SetGridText(FormatSceneGrid(SceneBytes(4000, '\x01')));
         },
         u"may hold only part of scene 9"_s},
    };
    for (const Case& c : cases) {
        init();
        c.arrange();
        dialogs_.InputAnswers = {u"9"_s};
        form_->Command2->click();
        QVERIFY2(!serial_.PortOpen(), c.name);
        QCOMPARE(dialogs_.Messages.size(), 1);
        QVERIFY2(dialogs_.Messages[0].Text.contains(c.said), qPrintable(dialogs_.Messages[0].Text));
        QCOMPARE(dialogs_.Messages[0].Style, MsgBoxStyle::Exclamation);
        QCOMPARE(dialogs_.Messages[0].Title.value_or(QString()), u"TOVRAK Updater"_s);
        QCOMPARE(form_->Label4->text(), u"0"_s);  // not sent
    }
}

void TestLinkPieces::receiveCollectsUntilASecondOfSilence()
{
    Form1& f = *form_;
    const QString before = f.GridText();
    dialogs_.InputAnswers = {u"5"_s};
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    QCOMPARE(serial_.Log.mid(2), (QStringList{u"open"_s, u"output 2c 05 cc"_s}));
    QCOMPARE(f.Label4->text(), u"5"_s);
    QVERIFY(f.Fields.AwaitingReply);
    QCOMPARE(f.Fields.LastReceiveTime, clock_.Seconds);
    QVERIFY(f.Timer1->isActive());

    Tick(0.5);
    Deliver("\x01\x02");
    QVERIFY(!f.Fields.AwaitingReply);
    Tick(0.9);  // a gap under a second
    Deliver(SceneBytes(17, '\x03'));
    Tick(1.0);  // not more than a second yet
    QVERIFY(serial_.PortOpen());
    QCOMPARE(f.GridText(), before);
    Tick(0.01);
    QVERIFY(!serial_.PortOpen());
    QCOMPARE(f.GridText(), FormatSceneGrid(SceneBytes("\x01\x02") + SceneBytes(17, '\x03')));
    QVERIFY(f.Fields.ReceiveBuffer.isEmpty());
    QCOMPARE(f.Fields.LastReceiveTime, 0.0);
    QVERIFY(!f.Timer1->isActive());  // idle again: no ticks
    QVERIFY(dialogs_.Messages.isEmpty());
}

void TestLinkPieces::noReplyIsConnectionFailedAndLateBytesStillCount()
{
    Form1& f = *form_;
    const QString before = f.GridText();
    dialogs_.InputAnswers = {u"5"_s};
    f.Command3->click();
    Tick(1.01);
    QCOMPARE(dialogs_.Messages.size(), 1);
    QCOMPARE(dialogs_.Messages[0].Text, u"Connection Failed"_s);
    QCOMPARE(dialogs_.Messages[0].Style, MsgBoxStyle::Exclamation);
    QCOMPARE(dialogs_.Messages[0].Title.value_or(QString()), u"TOVRAK Updater"_s);
    QCOMPARE(f.GridText(), before);
    QVERIFY(serial_.PortOpen());  // left open
    QVERIFY(!f.Timer1->isActive());
    Tick(5);
    QCOMPARE(dialogs_.Messages.size(), 1);  // said once

    // Late bytes start a new collection whose contents replace the grid.
    Deliver("\x09");
    QVERIFY(f.Timer1->isActive());
    Tick(1.01);
    QCOMPARE(f.GridText(), u"009 "_s);
    QVERIFY(!serial_.PortOpen());
}

void TestLinkPieces::sendAbandonsAWaitingExchange()
{
    Form1& f = *form_;
    dialogs_.InputAnswers = {u"5"_s, u"6"_s};
    f.Command3->click();
    f.Command2->click();
    QVERIFY(!f.Timer1->isActive());
    Tick(2);
    QVERIFY(dialogs_.Messages.isEmpty());  // no "Connection Failed"
    QCOMPARE(serial_.Written.left(3), QByteArray::fromHex("2c05cc"));
    QCOMPARE(serial_.Written.mid(3, 3), QByteArray::fromHex("2106cc"));
}

void TestLinkPieces::receiveRefusesANumberWithLetters()
{
    Form1& f = *form_;
    dialogs_.InputAnswers = {u"12abc"_s};
    f.Command3->click();
    QCOMPARE(dialogs_.Messages.size(), 1);
    QVERIFY(dialogs_.Messages[0].Text.contains(u"\"12abc\" is not a scene number"_s));
    QCOMPARE(dialogs_.Messages[0].Style, MsgBoxStyle::OkOnly);
    QVERIFY(!dialogs_.Messages[0].Title);  // the application's title
    QCOMPARE(serial_.Log, (QStringList{u"port 1"_s, u"settings 38400,n,8,1"_s}));  // configured, never opened
    QVERIFY(serial_.Written.isEmpty());
    QCOMPARE(f.Label4->text(), u"0"_s);
}

void TestLinkPieces::capsAReplyThatNeverEnds()
{
    Form1& f = *form_;
    const QString before = f.GridText();
    dialogs_.InputAnswers = {u"5"_s};
    f.Command3->click();
    const QByteArray chunk(64 * 1024, '\x07');
    for (qsizetype sent = 0; sent <= MaxSceneBytes; sent += chunk.size()) {
        Tick(0.1);
        Deliver(chunk);
    }
    QCOMPARE(dialogs_.Messages.size(), 1);
    QVERIFY(dialogs_.Messages[0].Text.contains(u"more than a scene can hold"_s));
    QVERIFY(!serial_.PortOpen());
    QVERIFY(!f.Timer1->isActive());
    QVERIFY(f.Fields.ReceiveBuffer.isEmpty());
    Tick(2);
    QCOMPARE(f.GridText(), before);

    // A reply of exactly the limit is still a scene.
    init();
    dialogs_.InputAnswers = {u"5"_s};
    form_->Command3->click();
    Deliver(SceneBytes(MaxSceneBytes, '\x01'));
    Tick(1.01);
    QVERIFY(dialogs_.Messages.isEmpty());
    QCOMPARE(form_->GridText().size(), MaxSceneBytes * 4 + MaxSceneBytes / 16 * 2);
}

void TestLinkPieces::reportsAPortLostMidExchange()
{
    Form1& f = *form_;
    dialogs_.InputAnswers = {u"5"_s};
    f.Command3->click();
    Deliver("\x01");
    serial_.Lose();
    QCoreApplication::processEvents();
    QCOMPARE(dialogs_.Messages.size(), 1);
    QVERIFY(dialogs_.Messages[0].Text.contains(u"Serial port 1 was lost"_s));
    QVERIFY(!dialogs_.Messages[0].Title);
    QVERIFY(!f.Timer1->isActive());
    QCOMPARE(f.Fields.LastReceiveTime, 0.0);

    // Lost while idle (after "Connection Failed"): nothing to tell.
    init();
    dialogs_.InputAnswers = {u"5"_s};
    form_->Command3->click();
    Tick(1.01);
    serial_.Lose();
    QCoreApplication::processEvents();
    QCOMPARE(dialogs_.Messages.size(), 1);  // only "Connection Failed"

    // The next command opens the port again.
    dialogs_.InputAnswers = {u"6"_s};
    form_->Command3->click();
    QVERIFY(serial_.PortOpen());
}

QTEST_MAIN(TestLinkPieces)
#include "tst_link_pieces.moc"
