#include "platform/serial_port.h"

#include "platform/carrier_file.h"
#include "platform/clock.h"

#include <QSerialPort>
#include <QStringList>

bool SerialPort::set_port(int number, QString* error)
{
    if (number < 1 || number > 16) {
        if (error)
            *error = QStringLiteral("Invalid port number");
        return false;
    }
    port_ = number;
    return true;
}

bool SerialPort::parse_settings(const QString& text, int* baud, char* parity, int* data_bits, int* stop_bits)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int b = parts[0].trimmed().toInt(&ok);
    if (!ok || b <= 0)
        return false;
    const QString p = parts[1].trimmed().toUpper();
    if (p.size() != 1 || !QStringLiteral("NEOMS").contains(p))
        return false;
    const int d = parts[2].trimmed().toInt(&ok);
    if (!ok || d < 5 || d > 8)
        return false;
    const QString s = parts[3].trimmed();
    if (s != QLatin1String("1") && s != QLatin1String("2") && s != QLatin1String("1.5"))
        return false;
    if (baud)
        *baud = b;
    if (parity)
        *parity = p[0].toLatin1();
    if (data_bits)
        *data_bits = d;
    if (stop_bits)
        *stop_bits = s == QLatin1String("2") ? 2 : 1;
    return true;
}

bool SerialPort::set_settings(const QString& text, QString* error)
{
    if (!parse_settings(text, nullptr, nullptr, nullptr, nullptr)) {
        if (error)
            *error = QStringLiteral("Invalid property value");
        return false;
    }
    settings_ = text;
    return true;
}

void SerialPort::set_device_override(int number, const QString& device)
{
    if (number >= 1 && number <= 2)
        override_[number] = device;
}

QString SerialPort::device_name() const
{
    if (port_ >= 1 && port_ <= 2 && !override_[port_].isEmpty())
        return override_[port_];
    return QStringLiteral("/dev/ttyS%1").arg(port_ - 1);
}

void SerialPort::set_carrier_file(int number, const QString& path)
{
    if (number >= 1 && number <= 2)
        carrier_file_[number] = path;
}

QString SerialPort::carrier_file() const { return port_ >= 1 && port_ <= 2 ? carrier_file_[port_] : QString(); }

void SerialPort::wait_for_input(Clock& clock) { clock.sleep_ms(0.2); }

QtSerialPort::QtSerialPort(Clock& clock) : clock_(clock), port_impl_(std::make_unique<QSerialPort>()) {}

QtSerialPort::~QtSerialPort()
{
    if (port_impl_->isOpen())
        close();
}

bool QtSerialPort::open(QString* error, int* error_code)
{
    int baud = 9600, data = 8, stop = 1;
    char parity = 'N';
    parse_settings(settings_, &baud, &parity, &data, &stop);
    port_impl_->setPortName(device_name());
    port_impl_->setBaudRate(baud);
    port_impl_->setDataBits(static_cast<QSerialPort::DataBits>(data));
    port_impl_->setStopBits(stop == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    switch (parity) {
    case 'E': port_impl_->setParity(QSerialPort::EvenParity); break;
    case 'O': port_impl_->setParity(QSerialPort::OddParity); break;
    case 'M': port_impl_->setParity(QSerialPort::MarkParity); break;
    case 'S': port_impl_->setParity(QSerialPort::SpaceParity); break;
    default: port_impl_->setParity(QSerialPort::NoParity); break;
    }
    port_impl_->setFlowControl(QSerialPort::NoFlowControl);
    if (port_impl_->open(QIODevice::ReadWrite))
        return true;
    if (error_code)
        *error_code = port_impl_->error() == QSerialPort::PermissionError ? 8005 : 8002;
    if (error)
        *error = port_impl_->errorString();
    return false;
}

void QtSerialPort::close()
{
    if (!port_impl_->isOpen())
        return;
    drain();
    port_impl_->close();
}

bool QtSerialPort::is_open() const { return port_impl_->isOpen(); }

int QtSerialPort::in_count()
{
    if (!port_impl_->isOpen())
        return 0;
    port_impl_->waitForReadyRead(0);  // pull whatever the device holds, without an event loop
    return int(port_impl_->bytesAvailable());
}

int QtSerialPort::out_count()
{
    if (!port_impl_->isOpen())
        return 0;
    if (port_impl_->bytesToWrite() > 0)
        port_impl_->waitForBytesWritten(0);
    return int(port_impl_->bytesToWrite());
}

// Everything written goes out before anything is discarded: on Linux a discard right after a write
// would drop the bytes still queued.
void QtSerialPort::drain()
{
    const qint64 end = clock_.now_us() + 2'000'000;
    while (port_impl_->bytesToWrite() > 0 && clock_.now_us() < end)
        port_impl_->waitForBytesWritten(10);
}

void QtSerialPort::discard_input()
{
    if (!port_impl_->isOpen())
        return;
    drain();
    port_impl_->waitForReadyRead(0);
    port_impl_->readAll();
    port_impl_->clear(QSerialPort::Input);
}

void QtSerialPort::discard_output()
{
    if (port_impl_->isOpen())
        drain();
}

void QtSerialPort::write(const QByteArray& bytes)
{
    if (!port_impl_->isOpen())
        return;
    port_impl_->write(bytes);
    port_impl_->waitForBytesWritten(0);
}

QByteArray QtSerialPort::read_all()
{
    if (!port_impl_->isOpen())
        return {};
    port_impl_->waitForReadyRead(0);
    return port_impl_->readAll();
}

void QtSerialPort::wait_for_input(Clock& clock)
{
    // Blocks in the kernel until a byte arrives, instead of sleeping a fixed slice per poll.
    if (port_impl_->isOpen() && port_impl_->waitForReadyRead(1))
        return;
    const auto e = port_impl_->error();
    if (!port_impl_->isOpen() || (e != QSerialPort::NoError && e != QSerialPort::TimeoutError))
        clock.sleep_ms(0.2);
}

bool QtSerialPort::carrier_detect()
{
    if (carrier_probe)
        return carrier_probe();
    if (const QString file = carrier_file(); !file.isEmpty())
        return carrier_file_up(file);
    if (!port_impl_->isOpen())
        return false;
    return port_impl_->pinoutSignals().testFlag(QSerialPort::DataCarrierDetectSignal);
}

bool FakeSerialPort::open(QString* error, int* error_code)
{
    if (busy_elsewhere || !endpoint_) {
        if (error_code)
            *error_code = busy_elsewhere ? 8005 : 8002;
        if (error)
            *error = busy_elsewhere ? QStringLiteral("Port already open") : QStringLiteral("Invalid port number");
        return false;
    }
    open_ = true;
    endpoint_->host_opened();
    return true;
}

void FakeSerialPort::close()
{
    if (!open_)
        return;
    open_ = false;
    if (endpoint_)
        endpoint_->host_closed();
}

int FakeSerialPort::in_count() { return open_ && endpoint_ ? endpoint_->available() : 0; }

void FakeSerialPort::discard_input()
{
    if (open_ && endpoint_)
        endpoint_->take_available();
}

void FakeSerialPort::write(const QByteArray& bytes)
{
    if (!open_)
        return;
    written += bytes;
    if (endpoint_)
        endpoint_->receive_from_host(bytes);
}

QByteArray FakeSerialPort::read_all() { return open_ && endpoint_ ? endpoint_->take_available() : QByteArray(); }

bool FakeSerialPort::carrier_detect() { return open_ && endpoint_ && endpoint_->carrier(); }
