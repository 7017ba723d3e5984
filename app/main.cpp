// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/form1.h"
#include "platform/qt_dialog_service.h"
#include "platform/qt_serial_link.h"

#include <QApplication>

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
    return app.exec();
}
