// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "cli/cli_options.h"

#include "link/scene_list.h"

#include <QCommandLineParser>
#include <QMap>

using namespace Qt::StringLiterals;

namespace {

using Command = CliOptions::Command;

// How many arguments each command takes after its name.
struct CommandShape {
    Command What;
    int Arguments;
    QString Synopsis;
};

const QMap<QString, CommandShape>& Commands()
{
    static const QMap<QString, CommandShape> commands{
        {u"ports"_s, {Command::Ports, 0, u"ports"_s}},
        {u"send"_s, {Command::Send, 2, u"send N FILE"_s}},
        {u"receive"_s, {Command::Receive, 2, u"receive N FILE"_s}},
        {u"backup"_s, {Command::Backup, 1, u"backup DIR [--scenes LIST] [--force]"_s}},
        {u"restore"_s, {Command::Restore, 1, u"restore DIR [--no-verify]"_s}},
        {u"verify"_s, {Command::Verify, 1, u"verify DIR"_s}},
    };
    return commands;
}

// A whole number from 1 to 255, or 0.
int Number(const QString& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 1 && n <= 255 ? n : 0;
}

}  // namespace

QString CliUsage()
{
    return uR"(Usage: brindlewick-cli [--port N | --device PATH] [--quiet | --verbose]
                       [--frame-gap SECONDS] COMMAND ...

Talks to a scene-storing device on a serial line, as the Brindlewick window
does, with no one at the screen.

Commands:
  ports                     the serial ports, numbered as the window's Comm Port
                            list, with their devices
  send N FILE               store FILE under number N (FILE '-' reads standard
                            input)
  receive N FILE            fetch scene N into FILE (FILE '-' writes standard
                            output)
  backup DIR [--scenes LIST] [--force]
                            fetch scenes LIST (default 1-255) into DIR as
                            scene-NNN.bin; --force replaces files already there
  restore DIR [--no-verify] send every scene-NNN.bin of DIR, reading each back
                            unless --no-verify
  verify DIR                check that the device holds what DIR's files hold

Options:
  --port N                  serial port N (default 1)
  --device PATH             the serial device itself (/dev/ttyUSB0, COM3)
  --quiet                   no progress line
  --verbose                 one line per scene
  --frame-gap SECONDS       the quiet kept after each scene stored on the
                            device before anything more is written, and
                            before the program ends (0.05 to 10; default 1)
  --help                    this text
  --version                 the program's version

Exit status: 0 done (and, for restore and verify, everything matches); 1 the
device did not answer where a scene was expected (for backup: no number
answered), or a scene differs or is missing; 2 usage; 3 the port could not be
opened or was lost; 4 a file could not be read or written (for restore and
verify: files were skipped), or an output was closed; 130 interrupted.
)"_s;
}

CliOptions ParseCli(const QStringList& arguments)
{
    CliOptions options;
    QCommandLineParser parser;
    const QCommandLineOption port(u"port"_s, {}, u"N"_s);
    const QCommandLineOption device(u"device"_s, {}, u"PATH"_s);
    const QCommandLineOption quiet(u"quiet"_s);
    const QCommandLineOption verbose(u"verbose"_s);
    const QCommandLineOption frameGap(u"frame-gap"_s, {}, u"SECONDS"_s);
    const QCommandLineOption scenes(u"scenes"_s, {}, u"LIST"_s);
    const QCommandLineOption force(u"force"_s);
    const QCommandLineOption noVerify(u"no-verify"_s);
    const QCommandLineOption help(QStringList{u"help"_s, u"h"_s});
    const QCommandLineOption version(u"version"_s);
    parser.addOptions({port, device, quiet, verbose, frameGap, scenes, force, noVerify, help, version});
    if (!parser.parse(arguments)) {
        options.Error = parser.errorText();
        return options;
    }
    options.Help = parser.isSet(help);
    options.Version = parser.isSet(version);
    if (options.Help || options.Version)
        return options;

    const auto fail = [&](const QString& why) {
        options.Error = why;
        return options;
    };
    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return fail(u"No command given."_s);
    const QString name = words.takeFirst();
    if (!Commands().contains(name))
        return fail(u"\"%1\" is no command."_s.arg(name));
    const CommandShape shape = Commands().value(name);
    if (words.size() != shape.Arguments)
        return fail(u"%1 wants: %2"_s.arg(name, shape.Synopsis));
    if (parser.isSet(port) && parser.isSet(device))
        return fail(u"Give --port or --device, not both."_s);
    if (parser.isSet(quiet) && parser.isSet(verbose))
        return fail(u"Give --quiet or --verbose, not both."_s);
    if ((parser.isSet(scenes) || parser.isSet(force)) && shape.What != Command::Backup)
        return fail(u"--scenes and --force go with backup only."_s);
    if (parser.isSet(noVerify) && shape.What != Command::Restore)
        return fail(u"--no-verify goes with restore only."_s);

    options.What = shape.What;
    options.Quiet = parser.isSet(quiet);
    options.Verbose = parser.isSet(verbose);
    options.Force = parser.isSet(force);
    options.NoVerify = parser.isSet(noVerify);
    options.Device = parser.value(device);
    if (parser.isSet(device) && options.Device.isEmpty())
        return fail(u"--device wants the path of a serial device."_s);
    if (parser.isSet(frameGap)) {
        bool ok = false;
        options.FrameGap = parser.value(frameGap).toDouble(&ok);
        if (!ok || !(options.FrameGap >= FramePacer::ShortestGap && options.FrameGap <= FramePacer::LongestGap))
            return fail(u"--frame-gap wants seconds from %1 to %2, not \"%3\"."_s.arg(FramePacer::ShortestGap)
                            .arg(FramePacer::LongestGap)
                            .arg(parser.value(frameGap)));
    }
    if (parser.isSet(port) && (options.Port = Number(parser.value(port))) == 0)
        return fail(u"--port wants a serial port number from 1 to 255, not \"%1\"."_s.arg(parser.value(port)));
    switch (shape.What) {
    case Command::Send:
    case Command::Receive:
        if ((options.Scene = Number(words[0])) == 0)
            return fail(u"The Scene number should be between 1 and 255, not \"%1\"."_s.arg(words[0]));
        options.File = words[1];
        break;
    case Command::Backup: {
        const SceneList list = ParseSceneList(parser.isSet(scenes) ? parser.value(scenes) : u"1-255"_s);
        if (!list.Error.isEmpty())
            return fail(u"--scenes: "_s + list.Error);
        options.Scenes = list.Numbers;
        options.Folder = words[0];
        break;
    }
    case Command::Restore:
    case Command::Verify: options.Folder = words[0]; break;
    case Command::Ports:
    case Command::None: break;
    }
    return options;
}
