#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class Clock;
class QSerialPort;

// The serial port the link uses. Port N is /dev/ttyS(N-1) unless an override names another device.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Port number; false (with a reason) when the number is refused.
    virtual bool set_port(int number, QString* error = nullptr);
    int port() const { return port_; }
    // Settings text such as "9600,N,8,1"; false (with a reason) when the text is refused.
    virtual bool set_settings(const QString& text, QString* error = nullptr);
    QString settings() const { return settings_; }
    // Device path for a port number: another device may be named for port 1 or 2.
    void set_device_override(int number, const QString& device);
    QString device_name() const;
    // A file that stands in for the carrier-detect line of port 1 or 2 (see carrier_file.h).
    void set_carrier_file(int number, const QString& path);
    // The current port's carrier file; empty when its own line is read.
    QString carrier_file() const;

    // Opens the port; error_code 8005 means the port is in use elsewhere.
    virtual bool open(QString* error = nullptr, int* error_code = nullptr) = 0;
    virtual void close() = 0;
    virtual bool is_open() const = 0;
    virtual int in_count() = 0;
    virtual int out_count() = 0;
    virtual void discard_input() = 0;
    virtual void discard_output() = 0;
    virtual void write(const QByteArray& bytes) = 0;
    // Every byte that waits, as raw bytes.
    virtual QByteArray read_all() = 0;
    virtual bool carrier_detect() = 0;
    // Waits up to timeout_ms for input without yielding; true as soon as a byte waits. A zero time-out
    // only looks.
    virtual bool wait_for_input(Clock& clock, double timeout_ms);
    // The device went away while open (an adapter unplugged, the far end of a pseudo-terminal closed):
    // the port has closed itself, and stays closed until it is opened again.
    bool lost() const { return lost_; }

    // What the port holds of received bytes, at most: a device that streams cannot grow it further.
    static constexpr int kInputBufferBytes = 16384;

    // Parses "9600,N,8,1"; false when it is not a valid settings text.
    static bool parse_settings(const QString& text, int* baud, char* parity, int* data_bits, int* stop_bits);

protected:
    bool lost_ = false;
    int port_ = 1;
    QString settings_ = QStringLiteral("9600,N,8,1");
    QString override_[3];
    QString carrier_file_[3];
};

// The real port, over QSerialPort. A pseudo-terminal has no carrier-detect line: a probe can stand in.
class QtSerialPort : public SerialPort {
public:
    explicit QtSerialPort(Clock& clock);
    ~QtSerialPort() override;
    bool open(QString* error, int* error_code) override;
    void close() override;
    bool is_open() const override;
    int in_count() override;
    int out_count() override;
    void discard_input() override;
    void discard_output() override;
    void write(const QByteArray& bytes) override;
    QByteArray read_all() override;
    bool carrier_detect() override;
    bool wait_for_input(Clock& clock, double timeout_ms) override;
    std::function<bool()> carrier_probe;

private:
    void drain();
    // After a failed call: when the device has hung up or gone, closes the port for good.
    bool check_device();
    bool hung_up();
    bool check_pending_ = false;
    Clock& clock_;
    std::unique_ptr<QSerialPort> port_impl_;
};

// The far end of a simulated serial line (a meter, or a modem in front of one).
class SerialEndpoint {
public:
    virtual ~SerialEndpoint() = default;
    // Bytes the program wrote, as they leave the port.
    virtual void receive_from_host(const QByteArray& bytes) = 0;
    // Bytes that have reached the program's side by now.
    virtual QByteArray take_available() = 0;
    virtual int available() = 0;
    virtual bool carrier() const { return true; }
    virtual void host_opened() {}
    virtual void host_closed() {}
    // When the next byte reaches the program; -1 when that is not known yet.
    virtual qint64 next_arrival_us() const { return -1; }
};

// A port bound to a simulated endpoint, on the program's clock.
class FakeSerialPort : public SerialPort {
public:
    explicit FakeSerialPort(SerialEndpoint* endpoint = nullptr) : endpoint_(endpoint) {}
    void set_endpoint(SerialEndpoint* endpoint) { endpoint_ = endpoint; }
    bool open(QString* error, int* error_code) override;
    void close() override;
    bool is_open() const override { return open_; }
    int in_count() override;
    int out_count() override { return 0; }
    void discard_input() override;
    void discard_output() override {}
    void write(const QByteArray& bytes) override;
    QByteArray read_all() override;
    bool carrier_detect() override;
    bool wait_for_input(Clock& clock, double timeout_ms) override;

    // Fault injection: a port that some other program holds.
    bool busy_elsewhere = false;
    // Fault injection: the device goes away; the next call that touches it fails.
    bool vanish = false;
    // Every byte written, in order.
    QByteArray written;
    // Bytes the port held at most since it was made, and bytes it had no room for (lost, as a UART's
    // overrun loses them).
    int most_held = 0;
    qint64 overrun_bytes = 0;

private:
    // Moves what has arrived into the port's bounded input buffer.
    void pump();
    bool gone();
    SerialEndpoint* endpoint_;
    bool open_ = false;
    QByteArray input_;
};
