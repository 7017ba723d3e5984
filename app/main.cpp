// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/form1.h"
#include "platform/qt_dialog_service.h"
#include "platform/qt_serial_link.h"

#include <QApplication>
#include <QThread>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Brindlewick"_s);
    QApplication::setApplicationVersion(QStringLiteral(BRINDLEWICK_VERSION));
    // Lets a Wayland compositor match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(u"org.brindlewick.Brindlewick"_s);

    QtDialogService dialogs;
    QtSerialLink serial;
    Form1 window(dialogs, serial);
    dialogs.SetParent(&window);
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    const int status = app.exec();
    // The window has gone, but the port is kept until the quiet after the
    // last store frame has passed, so that no other program writes into it.
    QThread::msleep(static_cast<unsigned long>(window.Session->Hold().MsLeft()));
    return status;
}
