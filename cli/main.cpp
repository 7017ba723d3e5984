// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// brindlewick-cli: the device from a script, with no display.
#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "link/device_session.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/qt_serial_link.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// --device PATH: that device is port 1, named as the system names it when
// it lists it.
QtSerialLink::PortLister DeviceLister(const QString& path)
{
    return [path] {
        for (PortDevice port : QtSerialLink::SystemSerialPorts()) {
            if (port.Location == path || port.Name == path) {
                port.Number = 1;
                return QList<PortDevice>{port};
            }
        }
        return QList<PortDevice>{{1, path, QFileInfo(path).fileName(), {}}};
    };
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"brindlewick-cli"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(BRINDLEWICK_VERSION));

    const CliOptions options = ParseCli(QCoreApplication::arguments());
    if (options.Help) {
        return WriteText(stdout, CliUsage()) ? ExitStatus::Done : ExitStatus::FileProblem;
    }
    if (options.Version) {
        return WriteText(stdout, u"brindlewick-cli %1\n"_s.arg(QCoreApplication::applicationVersion()))
            ? ExitStatus::Done
            : ExitStatus::FileProblem;
    }
    if (!options.Error.isEmpty()) {
        WriteText(stderr, u"brindlewick-cli: %1\nTry 'brindlewick-cli --help'.\n"_s.arg(options.Error));
        return ExitStatus::Usage;
    }

    SurviveClosedOutput();
    QtSerialLink serial(options.Device.isEmpty() ? QtSerialLink::PortLister(QtSerialLink::SystemSerialPorts)
                                                 : DeviceLister(options.Device));
    if (!options.Device.isEmpty())
        serial.NameByDevice(options.Device);
    MonotonicClock clock;
    ExchangeFields fields;
    DeviceSession session(serial, clock, fields);
    session.Pacer().SetGap(options.FrameGap);
    CliRun run(options, session, serial);
    InterruptWatcher interrupts;
    QObject::connect(&interrupts, &InterruptWatcher::Interrupted, &run, &CliRun::Interrupt);
    QObject::connect(&run, &CliRun::Finished, &app, [&interrupts](int status) {
        interrupts.Done();
        QCoreApplication::exit(status);
    });
    // Standard input is read before the interrupts are taken over, so that
    // Ctrl+C still ends a program waiting for it.
    QTimer::singleShot(0, &run, [&] {
        run.Start();
        interrupts.Arm();
    });
    return QCoreApplication::exec();
}
