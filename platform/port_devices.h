// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/serial_link.h"

#include <QList>
#include <QStringView>

// Orders device names as people count them: ttyS2 before ttyS10, and every
// ttyS before ttyUSB.
bool NaturalLess(QStringView a, QStringView b);

// Sorts devices by name in natural order and numbers them 1, 2, … so that
// port 1 is the first serial port the system lists.
QList<PortDevice> NumberInNaturalOrder(QList<PortDevice> devices);

// macOS lists each adapter twice: as /dev/cu.NAME, the call-out device,
// which opens at once, and /dev/tty.NAME, the dial-in one, which waits for
// a carrier. Drops the dial-in twin of every call-out device.
QList<PortDevice> CalloutDevicesOnly(QList<PortDevice> devices);

// "ttyUSB0 (FT232R USB UART)": how a device is named to the user.
QString DeviceLabel(const PortDevice& device);

// The tooltip for a port number: the device behind it, or "no serial port".
QString PortToolTip(const QList<PortDevice>& devices, int number);

// Where no device stands behind a port number: says so and names the ports
// that exist, or says that there are none.
QString NoSuchPortMessage(const QList<PortDevice>& devices, int number);
