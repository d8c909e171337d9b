// Whatever the line delivers, in whatever pieces: the status-frame reader
// must neither crash nor hold a terminator forever nor hand on a reading that
// is not a number.
#include "instrument/StatusFrameReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

void checkFrame(const tz::StatusFrame& f) {
    for (double v : {f.sampleTempF, f.bathTempF, f.setPointF, f.speedRpm, f.provisionalShearRate,
                     f.shearStress, f.pressurePsi, f.shearRate})
        require(std::isfinite(v));
    require(f.shearStress >= 0);
    require(!f.viscosityText.isEmpty());
    require(!f.viscosityText.contains(QLatin1String("inf")) && !f.viscosityText.contains(QLatin1String("nan")));
    require(f.statusCode >= -1 && f.statusCode <= 9);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // First two bytes: the bob factors; the rest arrives in pieces whose
    // lengths the data itself decides.
    tz::StatusFrameReader reader;
    reader.setFactors({data[0] / 16.0, 0.25 + data[1] / 32.0});
    int stops = 0;
    reader.setOverTemperatureHandler([&](const tz::StatusFrame&) { ++stops; });
    size_t pos = 2;
    while (pos < size) {
        const size_t piece = 1 + data[pos] % 48;
        const size_t n = std::min(piece, size - pos);
        const QByteArray chunk(reinterpret_cast<const char*>(data) + pos, static_cast<qsizetype>(n));
        pos += n;
        const auto r = reader.read(chunk);
        for (const auto& f : r.frames) checkFrame(f);
    }
    // Later ticks with nothing new take at least one frame each until no
    // terminator is left: nothing stays stuck in the buffer.
    qsizetype subs = reader.buffer().count('\x1a');
    while (subs > 0) {
        const auto r = reader.read({});
        for (const auto& f : r.frames) checkFrame(f);
        const qsizetype now = reader.buffer().count('\x1a');
        require(now < subs);
        subs = now;
    }
    require(!reader.statusText().isEmpty());
    return 0;
}
