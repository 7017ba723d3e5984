#pragma once

#include "scene/scene_grid.h"

#include <QWidget>

class DialogService;
class SerialLink;
class GridTextBox;
class PortComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

// The one window: the scene grid, the port choice, the command buttons, the
// services the commands use and the state that lives between events.
class Form1 final : public QWidget {
    Q_OBJECT
public:
    // The services must outlive the window.
    Form1(DialogService& dialogs, SerialLink& serial, QWidget* parent = nullptr);
    ~Form1() override;

    // The grid's text with CR LF line breaks, as the commands see it.
    QString GridText() const;
    void SetGridText(const QString& text);

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
    // Runs only while a receive exchange is in progress.
    QTimer* Timer1;

    // Components: the serial port, and the dialogs (file dialogs and message
    // and input boxes).
    SerialLink& MSComm1;
    DialogService& CommonDialog1;

    // The receive exchange.
    SceneBytes ReceiveBuffer;
    double LastReceiveTime = 0;
    bool AwaitingReply = false;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void Form_Load();
    void Command1_Click();
    void Command6_Click();
    void RefreshPortToolTips();
    void ShutDown();
};
