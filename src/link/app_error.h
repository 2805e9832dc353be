#pragma once
#include <QString>
#include <stdexcept>

// Application errors of a failed instrument step: 32000 for the meter, 32001 for the generator.
// Caught at every slot, timer and load-step boundary; never crosses the event loop.
class AppError : public std::runtime_error {
public:
    static constexpr int meter = 32000;
    static constexpr int generator = 32001;
    explicit AppError(int number, const char* what = "Application-defined or object-defined error")
        : std::runtime_error(what), number_(number) {}
    int number() const { return number_; }

private:
    int number_;
};
