#include "platform/serial_port.h"

#include "platform/carrier_file.h"
#include "platform/clock.h"

#include <QSerialPort>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <poll.h>
#include <unistd.h>

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

bool SerialPort::wait_for_input(Clock& clock, double timeout_ms)
{
    // Looks every 0.2 ms: a port with no way to block on its device.
    const qint64 end = clock.now_us() + qint64(timeout_ms * 1000.0 + 0.5);
    while (in_count() <= 0) {
        const qint64 left = end - clock.now_us();
        if (left <= 0 || lost_)
            return false;
        clock.sleep_ms(std::min<qint64>(left, 200) / 1000.0);
    }
    return true;
}

void SerialPort::set_carrier_file(int number, const QString& path)
{
    if (number >= 1 && number <= 2)
        carrier_file_[number] = path;
}

QString SerialPort::carrier_file() const { return port_ >= 1 && port_ <= 2 ? carrier_file_[port_] : QString(); }

QtSerialPort::QtSerialPort(Clock& clock) : clock_(clock), port_impl_(std::make_unique<QSerialPort>())
{
    // A device error seen by the port's own reading in the event loop (a hang-up while idle) is looked
    // at in the next pass, outside the port's signal.
    QObject::connect(port_impl_.get(), &QSerialPort::errorOccurred, port_impl_.get(),
                     [this](QSerialPort::SerialPortError e) {
                         if (e == QSerialPort::NoError || e == QSerialPort::TimeoutError || check_pending_)
                             return;
                         check_pending_ = true;
                         QTimer::singleShot(0, port_impl_.get(), [this] {
                             check_pending_ = false;
                             hung_up();
                         });
                     });
}

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
    // Once full, the port stops taking bytes from the device until the link takes them.
    port_impl_->setReadBufferSize(kInputBufferBytes);
    if (port_impl_->open(QIODevice::ReadWrite)) {
        lost_ = false;
        return true;
    }
    if (error_code)
        *error_code = port_impl_->error() == QSerialPort::PermissionError ? 8005 : 8002;
    if (error)
        *error = device_name() + QStringLiteral(": ") + port_impl_->errorString();
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

bool QtSerialPort::check_device()
{
    const QSerialPort::SerialPortError e = port_impl_->error();
    if (e == QSerialPort::NoError || e == QSerialPort::TimeoutError)
        return lost_;
    port_impl_->clearError();
    return hung_up();
}

bool QtSerialPort::hung_up()
{
    if (!port_impl_->isOpen())
        return lost_;
    // Only a hang-up or a dead descriptor is the device gone: a pseudo-terminal also fails the modem
    // line queries, and that is no reason to close.
    pollfd pfd{int(port_impl_->handle()), POLLIN | POLLOUT, 0};
    if (::poll(&pfd, 1, 0) < 0 || !(pfd.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return false;
    lost_ = true;
    port_impl_->clear(QSerialPort::Output);
    port_impl_->close();
    port_impl_->clearError();
    return true;
}

int QtSerialPort::in_count()
{
    if (!port_impl_->isOpen())
        return 0;
    if (port_impl_->bytesAvailable() == 0 && !port_impl_->waitForReadyRead(0))
        check_device();
    return port_impl_->isOpen() ? int(port_impl_->bytesAvailable()) : 0;
}

int QtSerialPort::out_count()
{
    if (!port_impl_->isOpen() || port_impl_->bytesToWrite() == 0)
        return 0;
    if (!port_impl_->waitForBytesWritten(0) && check_device())
        return 0;
    return int(port_impl_->bytesToWrite());
}

// Everything written goes out before anything is discarded: on Linux a discard right after a write
// would drop the bytes still queued.
void QtSerialPort::drain()
{
    if (lost_)
        return;
    const qint64 end = clock_.now_us() + 2'000'000;
    while (port_impl_->isOpen() && port_impl_->bytesToWrite() > 0 && clock_.now_us() < end)
        if (!port_impl_->waitForBytesWritten(10) && check_device())
            return;
}

void QtSerialPort::discard_input()
{
    if (!port_impl_->isOpen())
        return;
    drain();
    // Drops the port's buffer and the device's queue in one call.
    if (port_impl_->isOpen() && !port_impl_->clear(QSerialPort::Input))
        check_device();
}

void QtSerialPort::discard_output()
{
    if (port_impl_->isOpen())
        drain();
}

void QtSerialPort::write(const QByteArray& bytes)
{
    if (!port_impl_->isOpen() || bytes.isEmpty())
        return;
    qsizetype done = 0;
    if (port_impl_->bytesToWrite() == 0) {
        // Straight to the device: one system call when it takes the whole text, as it nearly always does.
        const ssize_t n = ::write(int(port_impl_->handle()), bytes.constData(), size_t(bytes.size()));
        if (n == bytes.size())
            return;
        if (n > 0) {
            done = n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR && hung_up()) {
            return;
        }
    }
    // The rest waits in the port and goes out as the device takes it.
    port_impl_->write(bytes.constData() + done, bytes.size() - done);
    if (!port_impl_->waitForBytesWritten(0))
        check_device();
}

QByteArray QtSerialPort::read_all()
{
    if (!port_impl_->isOpen())
        return {};
    if (port_impl_->bytesAvailable() == 0 && !port_impl_->waitForReadyRead(0)) {
        check_device();
        return {};
    }
    return port_impl_->readAll();
}

bool QtSerialPort::wait_for_input(Clock& clock, double timeout_ms)
{
    if (!port_impl_->isOpen()) {
        // A closed port has nothing to wait for; a lost one fails at once.
        if (!lost_ && timeout_ms > 0)
            clock.sleep_ms(timeout_ms);
        return false;
    }
    if (port_impl_->bytesAvailable() > 0)
        return true;
    // Blocks in the kernel until a byte arrives: one poll and one read.
    if (port_impl_->waitForReadyRead(int(std::ceil(std::max(timeout_ms, 0.0)))))
        return port_impl_->bytesAvailable() > 0;
    const QSerialPort::SerialPortError e = port_impl_->error();
    if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError && !check_device() && timeout_ms > 0)
        clock.sleep_ms(std::min(timeout_ms, 0.2));  // a failing read: no busy loop
    return port_impl_->isOpen() && port_impl_->bytesAvailable() > 0;
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
    lost_ = false;
    vanish = false;
    input_.clear();
    endpoint_->host_opened();
    return true;
}

void FakeSerialPort::close()
{
    if (!open_)
        return;
    open_ = false;
    input_.clear();
    if (endpoint_)
        endpoint_->host_closed();
}

bool FakeSerialPort::gone()
{
    if (open_ && vanish) {
        open_ = false;
        lost_ = true;
        input_.clear();
    }
    return lost_;
}

void FakeSerialPort::pump()
{
    if (!open_ || !endpoint_ || endpoint_->available() <= 0)
        return;
    const QByteArray got = endpoint_->take_available();
    const qsizetype room = kInputBufferBytes - input_.size();
    if (got.size() > room)
        overrun_bytes += got.size() - room;
    input_.append(got.constData(), std::min(got.size(), room));
    most_held = std::max(most_held, int(input_.size()));
}

int FakeSerialPort::in_count()
{
    if (gone())
        return 0;
    pump();
    return int(input_.size());
}

void FakeSerialPort::discard_input()
{
    if (gone() || !open_ || !endpoint_)
        return;
    input_.clear();
    endpoint_->take_available();
}

void FakeSerialPort::write(const QByteArray& bytes)
{
    if (gone() || !open_)
        return;
    written += bytes;
    if (endpoint_)
        endpoint_->receive_from_host(bytes);
}

QByteArray FakeSerialPort::read_all()
{
    if (gone())
        return {};
    pump();
    QByteArray out;
    out.swap(input_);
    return out;
}

bool FakeSerialPort::wait_for_input(Clock& clock, double timeout_ms)
{
    const qint64 end = clock.now_us() + qint64(timeout_ms * 1000.0 + 0.5);
    while (in_count() <= 0) {
        const qint64 now = clock.now_us();
        if (now >= end || lost_)
            return false;
        // Straight to the next byte on its way; otherwise look again in 0.2 ms (a reply may be pending).
        const qint64 next = open_ && endpoint_ ? endpoint_->next_arrival_us() : -1;
        const qint64 step = next > now ? next - now : 200;
        clock.sleep_ms(std::min(step, end - now) / 1000.0);
    }
    return true;
}

bool FakeSerialPort::carrier_detect() { return !gone() && open_ && endpoint_ && endpoint_->carrier(); }
