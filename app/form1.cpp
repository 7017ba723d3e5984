// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/form1.h"

#include "app/fonts.h"
#include "app/grid_text_box.h"
#include "app/port_combo_box.h"
#include "files/load_save.h"
#include "link/receive_scene.h"
#include "link/send_scene.h"
#include "platform/clock.h"
#include "platform/dialog_service.h"
#include "platform/port_devices.h"
#include "platform/serial_link.h"

#include <QAction>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTimer>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int ClientWidth = 591;
constexpr int ClientHeight = 369;
constexpr int PortCount = 32;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry, qreal points)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1StringView(name));
    button->setGeometry(geometry);
    button->setFont(MakeFont(u"Verdana"_s, points, true));
    // Enter in the grid must never press a button.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setAccessibleName(caption);
    return button;
}

QRadioButton* MakeOption(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(QLatin1StringView(name));
    option->setGeometry(geometry);
    option->setAccessibleName(caption + u" bits per second"_s);
    return option;
}

// Every size the icon comes in, so the title bar and the task switcher each
// get a sharp one.
QIcon AppIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(u":/icons/brindlewick-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

Clock& SystemClock()
{
    static MonotonicClock clock;
    return clock;
}

}  // namespace

Form1::Form1(DialogService& dialogs, SerialLink& serial, QWidget* parent)
    : Form1(dialogs, serial, SystemClock(), parent)
{
}

Form1::Form1(DialogService& dialogs, SerialLink& serial, Clock& clock, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      MSComm1(serial),
      CommonDialog1(dialogs),
      Session(std::make_unique<DeviceSession>(serial, clock, Fields))
{
    InstallFontSubstitutes();
    CreateControls();
    Form_Load();
}

Form1::~Form1()
{
    ShutDown();
}

void Form1::CreateControls()
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Brindlewick"_s);
    setWindowIcon(AppIcon());
    setFixedSize(ClientWidth, ClientHeight);
    setFont(MakeFont(u"Tahoma"_s, 8.25, false));

    Command4 = MakeButton(this, "Command4", u"Load from file"_s, {8, 16, 105, 25}, 9);
    Command3 = MakeButton(this, "Command3", u"Receive Scene <<"_s, {120, 16, 137, 25}, 9);

    Label4 = new QLabel(u"0"_s, this);
    Label4->setObjectName(u"Label4"_s);
    Label4->setGeometry(260, 17, 42, 21);
    Label4->setFont(MakeFont(u"Tahoma"_s, 14.25, true));
    Label4->setAlignment(Qt::AlignCenter);
    QPalette teal = Label4->palette();
    teal.setColor(QPalette::WindowText, QColor(0, 128, 128));
    Label4->setPalette(teal);
    Label4->setAccessibleName(u"Scene number"_s);
    Label4->setAccessibleDescription(u"The scene number last sent or asked for"_s);

    Command2 = MakeButton(this, "Command2", u"Send Scene >>"_s, {304, 16, 113, 25}, 9);
    Command5 = MakeButton(this, "Command5", u"Save to file"_s, {424, 16, 89, 25}, 9);

    Label1 = new QLabel(u"Comm Port"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->move(528, 4);
    Label1->adjustSize();

    Combo1 = new PortComboBox(this);
    Combo1->setObjectName(u"Combo1"_s);
    Combo1->setEditable(false);
    Combo1->setGeometry(528, 19, 57, Combo1->sizeHint().height());
    Combo1->setAccessibleName(u"Comm Port"_s);
    Combo1->setAccessibleDescription(u"The serial port the device is on; hover an entry to see its device"_s);
    Label1->setBuddy(Combo1);

    Text1 = new GridTextBox(this);
    Text1->setObjectName(u"Text1"_s);
    Text1->setGeometry(8, 48, 577, 281);
    Text1->setFont(MakeFont(u"Courier New"_s, 11.25, true));
    Text1->setAccessibleName(u"Scene grid"_s);
    Text1->setAccessibleDescription(
        u"The scene, one byte per entry: a number from 000 to 255, sixteen to a line. Type digits and spaces."_s);

    Command6 = MakeButton(this, "Command6", u"Clear"_s, {8, 336, 97, 25}, 9);

    Label3 = new QLabel(u"Brindlewick \u2014 scenes over RS-232"_s, this);
    Label3->setObjectName(u"Label3"_s);
    Label3->move(216, 344);
    Label3->adjustSize();
    QPalette grey = Label3->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    Label3->setPalette(grey);

    Command1 = MakeButton(this, "Command1", u"Cancel"_s, {488, 336, 97, 25}, 9.75);

    Frame1 = new QGroupBox(u"BAUD Rate"_s, this);
    Frame1->setObjectName(u"Frame1"_s);
    Frame1->setGeometry(360, 304, 169, 41);
    Option2 = MakeOption(Frame1, "Option2", u"9600"_s, {8, 16, 49, 17});
    Option3 = MakeOption(Frame1, "Option3", u"19200"_s, {58, 16, 53, 17});
    Option4 = MakeOption(Frame1, "Option4", u"38400"_s, {112, 16, 53, 17});
    // The speed is fixed at 38400 for the device; the choice stays hidden.
    Frame1->setVisible(false);

    Timer1 = &Session->ReplyTimer();

    for (QLabel* label : {Label1, Label3, Label4})
        label->setFocusPolicy(Qt::NoFocus);
    setTabOrder(Command1, Combo1);
    setTabOrder(Combo1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Text1);
    setTabOrder(Text1, Command4);
    setTabOrder(Command4, Command5);
    setTabOrder(Command5, Command6);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    // A scene file dropped on the grid or the window loads it.
    setAcceptDrops(true);
    connect(Text1, &GridTextBox::FileDropped, this, [this](const QString& path) { LoadSceneFile(*this, path); });
    // The session alone listens to the port and to Timer1; the window hears
    // how an exchange ended and when the port is taken.
    connect(Session.get(), &DeviceSession::ReceiveEnded, this,
            [this](const ReplyEnd& end) { ReportReceive(*this, end); });
    connect(Session.get(), &DeviceSession::BusyChanged, this, &Form1::OnBusyChanged);
    connect(Combo1, &PortComboBox::AboutToShowPopup, this, &Form1::RefreshPortToolTips);
    CreateActions();
}

void Form1::Form_Load()
{
    Combo1->clear();
    for (int port = 1; port <= PortCount; ++port)
        Combo1->addItem(QString::number(port));
    Option4->setChecked(true);
    Combo1->setCurrentText(u"1"_s);

    // The start-up grid is no step the user could take back.
    Text1->ResetGridText(QString());
    QString blank;
    for (int line = 0; line < 16; ++line) {
        for (int entry = 0; entry < 16; ++entry)
            blank += u"000 ";
        blank += u"\r\n";
    }
    Text1->ResetGridText(blank);

    RefreshPortToolTips();
}

QString Form1::GridText() const
{
    return Text1->GridText();
}

void Form1::SetGridText(const QString& text)
{
    Text1->SetGridText(text);
}

void Form1::MarkDifferences(const QList<std::pair<qsizetype, qsizetype>>& entries, const SceneBytes& theirs,
                            const QString& theirName)
{
    Text1->ShowDifferences(entries, theirs, theirName);
}

void Form1::Command1_Click()
{
    close();
}

void Form1::Command2_Click()
{
    RunLinkCommand(SendSceneCommand);
}

void Form1::Command3_Click()
{
    RunLinkCommand(ReceiveSceneCommand);
}

// A click while a send is still draining waits for it, as it would behind a
// command that blocks; a backup or a restore disables the commands instead.
void Form1::RunLinkCommand(void (*command)(LinkWindow&))
{
    if (Session->Busy()) {
        if (!Session->JobRunning() && deferred_ == nullptr)
            deferred_ = command;
        return;
    }
    {
        const QScopedValueRollback running(inCommand_, true);
        command(*this);
    }
    if (closePending_ && !Session->Busy())
        close();
}

void Form1::OnBusyChanged(bool busy)
{
    const bool free = !Session->JobRunning();
    for (QWidget* control : std::initializer_list<QWidget*>{Command2, Command3, Command4, Command5, Command6, Combo1})
        control->setEnabled(free);
    for (QAction* action : {BackupAction, RestoreAction, VerifyAction, CompareDeviceAction, CompareFileAction})
        action->setEnabled(free);
    if (busy)
        return;
    // Left to the event loop, so that whoever gave the port back is done.
    if (closePending_) {
        if (!inCommand_)
            QTimer::singleShot(0, this, [this] { close(); });
    } else if (const auto command = std::exchange(deferred_, nullptr)) {
        QTimer::singleShot(0, this, [this, command] { RunLinkCommand(command); });
    }
}

void Form1::Command4_Click()
{
    LoadSceneCommand(*this);
}

void Form1::Command5_Click()
{
    SaveSceneCommand(*this);
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    LoadSceneFile(*this, file);
}

QString Form1::PortChoice() const
{
    return Combo1->currentText();
}

bool Form1::SpeedChosen(int option) const
{
    switch (option) {
    case 2: return Option2->isChecked();
    case 3: return Option3->isChecked();
    case 4: return Option4->isChecked();
    default: return false;
    }
}

void Form1::ShowSceneNumber(const QString& typed)
{
    Label4->setText(typed);
}

void Form1::Command6_Click()
{
    SetGridText(QString());
}

void Form1::RefreshPortToolTips()
{
    const QList<PortDevice> devices = MSComm1.Ports();
    for (int i = 0; i < Combo1->count(); ++i)
        Combo1->setItemData(i, PortToolTip(devices, Combo1->itemText(i).toInt()), Qt::ToolTipRole);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // A job stops after the scene in flight, a send once its frame has left;
    // the window closes then, so that nothing is cut short without a word.
    // A send still held behind the quiet has not started: it is dropped.
    if (Session->Busy() && !Session->SendHeld()) {
        closePending_ = true;
        if (Session->JobRunning())
            Session->Progress().AskToStop();
        event->ignore();
        return;
    }
    ShutDown();
    event->accept();
}

// Ends whatever is going on: the exchange is dropped and the port given
// back, after a store frame once the quiet after it has passed.
void Form1::ShutDown()
{
    Session->ShutDown();
}
