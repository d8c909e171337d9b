#pragma once
// initial.txt: eight serial-port values (units 1 to 8), the unit system, the
// K' unit flag and the three calculation shear rates, CR LF line ends.
#include "app/Settings.h"

#include <QString>
#include <array>
#include <optional>

namespace tz {

inline constexpr int kUnitCount = 8;

struct HardwareSettings {
    std::array<int, kUnitCount> ports{};  // 0 = none, k = Comm k, -1 = nothing chosen
    int unitSystem = UnitCGS;
};

namespace SettingsFile {

QString defaultPath();  // initial.txt in the working directory

// Main window start-up: skips the ports, reads unit system, K' flag and rates.
// On any failure the K' flag and the rates fall back to their defaults; the
// unit system keeps what was read before the failure (0 when nothing was).
// Returns false when the fallback was used.
bool readDisplay(const QString& path, Settings& settings);

// Setup window, frame and calibration window: the ports and the unit system.
// A missing or short file reads as ports 0 and unit system 1.
HardwareSettings readHardware(const QString& path);

// Adding unit i (1-based): the port of that unit, read value by value up to i.
// nullopt when the file cannot be read that far.
std::optional<int> readPort(const QString& path, int unit);

// The whole file as the hardware tab's Save writes it.
QByteArray render(const std::array<int, kUnitCount>& ports, const Settings& settings);

// Writes the file; on failure returns false with a readable reason.
bool write(const QString& path, const std::array<int, kUnitCount>& ports,
           const Settings& settings, QString* error = nullptr);

}  // namespace SettingsFile
}  // namespace tz
