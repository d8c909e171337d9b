#pragma once
// Bytes sent to a TZ360 unit. Pure: every function builds the exact bytes of
// one command and nothing here touches a port, so the wire format can be
// checked to the byte without an instrument attached.
#include <QByteArray>
#include <span>

namespace tz {
struct SequenceData;
}

namespace tz::proto {

// Control characters of the TZ360 line protocol.
inline constexpr char SOH = 0x01;  // request stored results
inline constexpr char STX = 0x02;  // closes a stored-results reply; opens a calibration start
inline constexpr char ETX = 0x03;  // cancel; closes one stored record
inline constexpr char ENQ = 0x05;  // set point
inline constexpr char ACK = 0x06;  // stop the test
inline constexpr char BEL = 0x07;  // status poll
inline constexpr char BS = 0x08;   // zero; optional lead byte of a calibration record
inline constexpr char HT = 0x09;   // preheat; end of the calibration records
inline constexpr char LF = 0x0A;   // oscillate
inline constexpr char VT = 0x0B;   // stop oscillation; pressure-effect calibration
inline constexpr char FF = 0x0C;   // automatic self-zero
inline constexpr char SO = 0x0E;   // calibration polynomial
inline constexpr char SUB = 0x1A;  // terminator of every command and status frame

QByteArray statusPoll();
// tempF "000.0", rate "0000.0000", shear-rate factor "000.0000".
QByteArray setPoint(double tempF, double shearRate, double shearRateFactor);
QByteArray stop();
QByteArray zero();
QByteArray selfZero();
QByteArray preheat(double tempF);
QByteArray cancel();
QByteArray requestStoredResults();

// The recording period a sequence actually runs with: SAMPLE_INTERVAL, raised
// to sampling period x samples per point when smaller (a point cannot be
// recorded before its samples have been taken). Both factors are taken as the
// download record writes them (whole seconds, whole samples), so the record
// never asks for less time than its own sampling needs.
int effectiveSampleInterval(const SequenceData& sequence);

// The whole sequence download record, ending "05" "x" SUB. The recording
// period written is effectiveSampleInterval(). RUN_RAMP is not sent.
QByteArray sequenceRecord(const SequenceData& sequence);

// The unit accepted the download when its reply ends with "x".
bool sequenceAccepted(const QByteArray& reply);

// Dynamic (oscillation) mode: LF + amplitude "00.00" + "," + frequency "00.00"
// + "," + temperature "000" + SUB; stopping is VT alone, without terminator.
QByteArray oscillate(double amplitude, double frequencyHz, double tempF);
QByteArray stopOscillation();

// Torque calibration. The start always names "B5": the unit measures for the
// reference geometry and the workstation converts to the bob in use.
QByteArray calibrationStart(double viscosityCp, double changePerDegC);
// The polynomial c0 ... c(order) (at most seven), padded with "0.0," to seven
// coefficients, then the zero voltage; numbers written "0.###############".
QByteArray calibrationCoefficients(std::span<const double> coefficients, double zeroVolt);
QByteArray pressureEffectStart();

}  // namespace tz::proto
