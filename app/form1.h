// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "link/device_session.h"
#include "link/link_window.h"
#include "scene/scene_grid.h"

#include <QWidget>

#include <memory>

class Clock;
class DialogService;
class SerialLink;
class GridTextBox;
class PortComboBox;
class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

// The one window: the scene grid, the port choice, the command buttons, the
// services the commands use and the state that lives between events.
class Form1 final : public QWidget, public LinkWindow {
    Q_OBJECT
public:
    // The services must outlive the window. Without a clock of its own the
    // window uses the system's monotonic clock.
    Form1(DialogService& dialogs, SerialLink& serial, QWidget* parent = nullptr);
    Form1(DialogService& dialogs, SerialLink& serial, Clock& clock, QWidget* parent = nullptr);
    ~Form1() override;

    // The grid's text with CR LF line breaks, as the commands see it.
    QString GridText() const override;
    void SetGridText(const QString& text) override;
    void MarkDifferences(const QList<std::pair<qsizetype, qsizetype>>& entries, const SceneBytes& theirs,
                         const QString& theirName) override;

    // Controls, by the names the commands use.
    QPushButton* Command1;  // Cancel
    QPushButton* Command2;  // Send Scene >>
    QPushButton* Command3;  // Receive Scene <<
    QPushButton* Command4;  // Load from file
    QPushButton* Command5;  // Save to file
    QPushButton* Command6;  // Clear
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label4;
    PortComboBox* Combo1;
    GridTextBox* Text1;
    QGroupBox* Frame1;
    QRadioButton* Option2;
    QRadioButton* Option3;
    QRadioButton* Option4;
    // The device session's reply timer: runs only while an exchange is in
    // progress.
    QTimer* Timer1;
    // "Back Up Device…", "Restore Device…" and "Verify Device…"; "Compare
    // with Device…" and "Compare with File…".
    QAction* BackupAction;
    QAction* RestoreAction;
    QAction* VerifyAction;
    QAction* CompareDeviceAction;
    QAction* CompareFileAction;

    // Components: the serial port, and the dialogs (file dialogs and message
    // and input boxes).
    SerialLink& MSComm1;
    DialogService& CommonDialog1;

    // The receive exchange: ReceiveBuffer, LastReceiveTime, AwaitingReply.
    ExchangeFields Fields;
    // The one owner of the serial port, the exchange and its timer (made
    // after Fields and gone before them).
    std::unique_ptr<DeviceSession> Session;

    // What the device link commands use.
    DialogService& Dialogs() override { return CommonDialog1; }
    DeviceSession& LinkSession() override { return *Session; }
    QString PortChoice() const override;
    bool SpeedChosen(int option) const override;
    void ShowSceneNumber(const QString& typed) override;
    bool& ReadBackRestores() override { return readBackRestores_; }
    bool Closing() const override { return closePending_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void CreateActions();
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void RunLinkCommand(void (*command)(LinkWindow&));
    void OnBusyChanged(bool busy);
    void RefreshPortToolTips();
    void ShutDown();

    // Closing waits for the send or the job in flight.
    bool closePending_ = false;
    bool readBackRestores_ = true;
    bool inCommand_ = false;
    // A click that came while a send was draining, run once it is over.
    void (*deferred_)(LinkWindow&) = nullptr;
};
