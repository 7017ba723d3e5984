// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/line_settings.h"

#include "platform/failure.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void Malformed(const QString& text, const QString& why)
{
    throw Failure{FailureNumber::InvalidPropertyValue,
                  u"The line settings \"%1\" cannot be used: %2. They should read speed,parity,data bits,stop bits, "
                  "for example 38400,n,8,1."_s.arg(text, why)};
}

}  // namespace

LineSettings ParseLineSettings(const QString& text)
{
    const QStringList fields = text.split(u',');
    if (fields.size() != 4)
        Malformed(text, u"they need four parts separated by commas"_s);

    LineSettings settings;

    const QString speed = fields[0].trimmed();
    bool ok = false;
    const int baud = speed.toInt(&ok);
    const bool allDigits =
        !speed.isEmpty() && std::all_of(speed.begin(), speed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!ok || !allDigits || baud <= 0)
        Malformed(text, u"the speed \"%1\" is not a whole number of bits per second"_s.arg(speed));
    settings.BaudRate = baud;

    const QString parity = fields[1].trimmed().toLower();
    if (parity == u"n")
        settings.ParityBit = LineSettings::Parity::None;
    else if (parity == u"e")
        settings.ParityBit = LineSettings::Parity::Even;
    else if (parity == u"o")
        settings.ParityBit = LineSettings::Parity::Odd;
    else if (parity == u"m")
        settings.ParityBit = LineSettings::Parity::Mark;
    else if (parity == u"s")
        settings.ParityBit = LineSettings::Parity::Space;
    else
        Malformed(text, u"the parity \"%1\" is not one of n, e, o, m, s"_s.arg(fields[1].trimmed()));

    const QString data = fields[2].trimmed();
    if (data == u"5" || data == u"6" || data == u"7" || data == u"8")
        settings.DataBits = data.toInt();
    else
        Malformed(text, u"the data bits \"%1\" are not 5, 6, 7 or 8"_s.arg(data));

    const QString stop = fields[3].trimmed();
    if (stop == u"1")
        settings.Stop = LineSettings::StopBits::One;
    else if (stop == u"1.5")
        settings.Stop = LineSettings::StopBits::OneAndHalf;
    else if (stop == u"2")
        settings.Stop = LineSettings::StopBits::Two;
    else
        Malformed(text, u"the stop bits \"%1\" are not 1, 1.5 or 2"_s.arg(stop));

    return settings;
}
