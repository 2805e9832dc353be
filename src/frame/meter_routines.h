#pragma once
#include <QString>

class QWidget;

// Meter routines shared by the mode windows, and the two interface routines of the GPIB link.
namespace module1 {

// The meter's identity texts, as written at the top of data files.
struct SensorTypes {
    QString meter_model;
    QString serial_number;
    QString software_version;
    bool two_inputs = false;
    QString sensor_a_type;
    QString sensor_a_serial;
    QString sensor_b_type;
    QString sensor_b_serial;
};

// Averaging of a sensor: -1 automatic, 0 off, n a moving average of n.
void set_averaging(const QString& sensor, int count);
// Zero / calibrate a sensor; the window is disabled and its caption carries a phrase meanwhile.
// Returns when the meter reports completion, or after a bound (60 s / 30 s) with a box.
void zero_sensor(QWidget* window, const QString& sensor);
void cal_sensor(QWidget* window, const QString& sensor);
// How long zeroing and calibration are waited for, from the command on.
constexpr double zero_bound_ms = 60000.0;
constexpr double cal_bound_ms = 30000.0;
bool check_sensor_present(const QString& sensor);
bool is_single_channel_meter(int board, int address);
// Fills the identity; false when the model is none of the four known models.
bool get_sensor_types(SensorTypes& out);
// A statistics-capable model (RQ5821K, RQ5822K) found in its CDMA reading mode is put back to the standard
// one, with the 12 s the meter takes to change; the other models have no such mode.
void leave_cdma_reading_mode(const QString& meter_model);
// The identity header lines of data files ("label" TAB value CR LF each).
QString identity_header(const SensorTypes& ids);

// Reset Power Meter Comms: a device clear to the meter on board, then the 2 s the meter takes; the
// window's caption says so meanwhile.
void clear_meter_comms(QWidget* window, int board);
// Resets the GPIB interface (passes at once on the serial link).
bool reset_gpib(QWidget* window);
// At exit: every device back to local control, then an interface clear.
void gpib_go_local();

}  // namespace module1
