#pragma once
#include <QString>
#include <functional>

class Clock;
class Prompts;
class SettingsStore;
class GpibDriver;
class SerialPort;

// The seams the program reaches the desktop and the instruments through. The program installs the real
// ones at start-up; tests install doubles.
struct Platform {
    Clock* clock = nullptr;
    Prompts* prompts = nullptr;
    SettingsStore* settings = nullptr;
    GpibDriver* gpib = nullptr;
    SerialPort* serial = nullptr;  // the main window's serial port
    // Names the GPIB driver in use, for the about box.
    QString gpib_description;
    // Ends the program at once (the link's fatal registration failures, Cancel at first start).
    std::function<void()> end_system;

    // A world with a serial line and no GPIB driver; settings may be left out.
    static Platform of_serial(Clock& clock, Prompts& prompts, SettingsStore* settings, SerialPort& serial)
    {
        Platform p;
        p.clock = &clock;
        p.prompts = &prompts;
        p.settings = settings;
        p.serial = &serial;
        return p;
    }
    static Platform of(Clock& clock, Prompts& prompts, SettingsStore& settings, GpibDriver& gpib,
                       SerialPort& serial)
    {
        Platform p = of_serial(clock, prompts, &settings, serial);
        p.gpib = &gpib;
        return p;
    }
};

Platform& platform();
void install_platform(const Platform& p);

