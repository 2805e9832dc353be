#pragma once
#include <QString>

// What the simulated bench holds: the meter, the generator and their bus addresses.
// The defaults are the bench the program uses when no other is described.
struct BenchDescription {
    // Meter
    QString maker = QStringLiteral("TOLMARE");
    QString model = QStringLiteral("RQ5822K");
    QString serial_number = QStringLiteral("101507");
    QString software_version = QStringLiteral("1.12");
    QString sensor_a_type = QStringLiteral("RQ5531");
    QString sensor_a_serial = QStringLiteral("8841");
    bool sensor_b_fitted = true;
    QString sensor_b_type = QStringLiteral("RQ5531");
    QString sensor_b_serial = QStringLiteral("8842");
    int meter_address = 13;
    // Generator (address -1: none on the bus)
    int generator_address = 5;
    // Identity reply to "OI": begins with the series number.
    QString generator_identity = QStringLiteral("4717A, 10 MHz - 20 GHz, REV 3.1");
    // Fixture of the source-sweep bench: "through" or "band-pass".
    QString sweep_fixture = QStringLiteral("through");
    // A TDMA frame source wired to the meter's external trigger input and sensor A (see meter_gsm.h).
    bool tdma_frame = false;
    // Seed of every noise source.
    quint32 seed = 12345;
    // Modem phone book: the number that reaches this meter.
    QString phone_number = QStringLiteral("5551234");
};
