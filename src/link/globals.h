#pragma once
#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Program-wide values shared by the link, the main window and the mode windows.
struct Globals {
    // Link settings (stored configuration and the configuration window).
    int gpib_board = 0;  // never assigned: board index 0
    int meter_address = 0;
    int comms_type = 0;  // 1 serial, 2 GPIB
    bool gpib_in_use = false;
    bool serial_in_use = false;
    int synth_address = -1;  // -1: no generator
    bool maker_synth = false;
    bool other_synth = false;
    bool modem_in_use = false;
    QString phone_number;
    QString serial_format_suffix = QStringLiteral(",N,8,1");

    // System check and acquisition state.
    QString meter_model;
    bool instruments_ok = false;
    bool test_running = false;
    int gpib_board_ud = -1;  // board descriptor from ibfind
    bool gpib_board_ud_valid = false;

    // Link status words of the last driver call.
    qint16 ibsta = 0;
    qint16 iberr = 0;
    qint16 ibcnt = 0;
    qint32 ibcntl = 0;
    bool gpib_globals_registered = false;
    QByteArray serial_poll_reply;

    // Pulse reference levels, as fractions.
    double pulse_distal = 0.9;
    double pulse_mesial = 0.5;
    double pulse_proximal = 0.1;

    // Amplifier-test offsets (not stored).
    int offset_mode_a = 0, offset_mode_b = 0;
    double offset_fixed_a = 0, offset_fixed_b = 0;
    int offset_table_a = 0, offset_table_b = 0;
    int gaincomp_config_index = 0;
    bool amp_freq_sweep = false;
};

Globals& g();
// Back to the start-up values (tests).
void reset_globals();
