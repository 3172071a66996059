#pragma once
// The receipt printer chosen in Setup, and the way bytes reach an ESC/POS thermal printer.
#include <QByteArray>
#include <QString>

namespace marvono {

// Receipts, refunds and day closes go through the desktop's printing (on the paper of
// receipt.dat) unless an ESC/POS printer is chosen: a device file such as /dev/usb/lp0, or a
// network printer "host:port".
struct ReceiptPrinter {
    bool escPos = false;
    QString target;
    int columns = 48; // 48 on 80 mm paper, 32 on 58 mm
};

// Kept in printer.dat in the application folder as three items, "Desktop" or "ESC/POS", the
// target and the columns, so the target stays known while the desktop's printing is chosen. The
// desktop's printing when the file is missing or unreadable; 48 columns unless it says 32.
ReceiptPrinter readReceiptPrinter();
bool saveReceiptPrinter(const ReceiptPrinter& printer, QString* error = nullptr);

// How long a printer may take to connect and to take the bytes.
inline constexpr int kPrinterTimeoutMs = 5000;

// Writes the bytes to a target as ReceiptPrinter holds it: a path (starting with "/") is a
// device file, anything else a host with its port (9100 when none is given). False, with the
// reason in plain words, when the device is missing or refused, or the printer refused the
// connection or did not take the bytes in time.
bool sendToPrinter(const QString& target, const QByteArray& bytes, QString* error);

} // namespace marvono
