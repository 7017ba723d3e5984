// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "platform/port_devices.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

}  // namespace

bool NaturalLess(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            // Compare the runs of digits by value: skip leading zeros, then
            // the longer run is the larger number.
            qsizetype ei = i;
            while (ei < a.size() && IsDigit(a[ei]))
                ++ei;
            qsizetype ej = j;
            while (ej < b.size() && IsDigit(b[ej]))
                ++ej;
            qsizetype si = i;
            while (si + 1 < ei && a[si] == u'0')
                ++si;
            qsizetype sj = j;
            while (sj + 1 < ej && b[sj] == u'0')
                ++sj;
            const qsizetype li = ei - si;
            const qsizetype lj = ej - sj;
            if (li != lj)
                return li < lj;
            const int byDigits = a.sliced(si, li).compare(b.sliced(sj, lj));
            if (byDigits != 0)
                return byDigits < 0;
            if (ei - i != ej - j)  // same value: fewer leading zeros first
                return ei - i < ej - j;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

QList<PortDevice> NumberInNaturalOrder(QList<PortDevice> devices)
{
    std::stable_sort(devices.begin(), devices.end(),
                     [](const PortDevice& x, const PortDevice& y) { return NaturalLess(x.Name, y.Name); });
    int number = 0;
    for (PortDevice& device : devices)
        device.Number = ++number;
    return devices;
}

QList<PortDevice> CalloutDevicesOnly(QList<PortDevice> devices)
{
    const auto twinOfCallout = [&devices](const PortDevice& device) {
        if (!device.Location.startsWith(u"/dev/tty."))
            return false;
        const QString callout = u"/dev/cu."_s + device.Location.mid(9);
        return std::any_of(devices.cbegin(), devices.cend(),
                           [&callout](const PortDevice& other) { return other.Location == callout; });
    };
    QList<PortDevice> kept;
    for (const PortDevice& device : devices) {
        if (!twinOfCallout(device))
            kept << device;
    }
    return kept;
}

QString DeviceLabel(const PortDevice& device)
{
    if (device.Description.isEmpty())
        return device.Name;
    return u"%1 (%2)"_s.arg(device.Name, device.Description);
}

QString PortToolTip(const QList<PortDevice>& devices, int number)
{
    for (const PortDevice& device : devices) {
        if (device.Number == number)
            return DeviceLabel(device);
    }
    return u"no serial port"_s;
}

QString NoSuchPortMessage(const QList<PortDevice>& devices, int number)
{
    if (devices.isEmpty()) {
        return u"There is no serial port %1: no serial port was found on this computer. "
               "Plug in the serial adapter, then choose its number under Comm Port."_s.arg(number);
    }
    QStringList found;
    for (const PortDevice& device : devices)
        found << u"%1 = %2"_s.arg(device.Number).arg(DeviceLabel(device));
    return u"There is no serial port %1. The serial ports found are: %2. Choose one of these under Comm Port."_s
        .arg(number)
        .arg(found.join(u", "));
}
