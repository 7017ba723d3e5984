// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The window's menu commands: the whole-device ones and the grid's
// comparisons.

#include "app/form1.h"
#include "app/grid_text_box.h"
#include "files/compare_file.h"
#include "link/compare_device.h"
#include "link/device_backup.h"

#include <QAction>

using namespace Qt::StringLiterals;

namespace {

QAction* MakeAction(QWidget* parent, const char* name, const QString& text, const QString& statusTip)
{
    auto* action = new QAction(text, parent);
    action->setObjectName(QLatin1StringView(name));
    action->setToolTip(text.chopped(1));
    action->setStatusTip(statusTip);
    return action;
}

}  // namespace

void Form1::CreateActions()
{
    BackupAction = MakeAction(this, "BackupAction", u"Back Up Device…"_s,
                              u"Fetch many scenes from the device into a folder of scene files"_s);
    RestoreAction =
        MakeAction(this, "RestoreAction", u"Restore Device…"_s, u"Send every scene file of a folder to the device"_s);
    VerifyAction = MakeAction(this, "VerifyAction", u"Verify Device…"_s,
                              u"Check that the device holds what the scene files of a folder hold"_s);
    CompareDeviceAction = MakeAction(this, "CompareDeviceAction", u"Compare with Device…"_s,
                                     u"Mark where the grid differs from a scene on the device"_s);
    CompareFileAction = MakeAction(this, "CompareFileAction", u"Compare with File…"_s,
                                   u"Mark where the grid differs from a scene file"_s);

    // The whole-device commands sit at the end of the grid's menu and in the
    // window's own right-click menu; the comparisons, which are about the
    // grid, in the grid's menu only.
    for (QAction* action : {BackupAction, RestoreAction, VerifyAction})
        addAction(action);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    Text1->SetMenuActions(
        {CompareDeviceAction, CompareFileAction, separator, BackupAction, RestoreAction, VerifyAction});

    connect(BackupAction, &QAction::triggered, this, [this] { RunLinkCommand(BackupDeviceCommand); });
    connect(RestoreAction, &QAction::triggered, this, [this] { RunLinkCommand(RestoreDeviceCommand); });
    connect(VerifyAction, &QAction::triggered, this, [this] { RunLinkCommand(VerifyDeviceCommand); });
    connect(CompareDeviceAction, &QAction::triggered, this, [this] { RunLinkCommand(CompareWithDeviceCommand); });
    connect(CompareFileAction, &QAction::triggered, this, [this] { CompareWithFileCommand(*this); });
}
