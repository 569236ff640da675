#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

// The USB interface's line protocol, without any port: the request lines the program sends and
// the checks an answer line must pass before one of its numbers is believed. Every line is
// "<fields>*<CRC>\n", the CRC-16/XMODEM of the bytes before '*' in four upper-case hex digits;
// the first field is the request's sequence number, echoed by its answer. Failures come back
// as French reasons, for the operator.
namespace UsbProtocol {

inline constexpr char kName[] = "QuorinUSB";
inline constexpr int kVersion = 1;
inline constexpr int kBaudRate = 115200;
// The window the firmware accepts, in milliseconds; it takes one sample per millisecond.
inline constexpr int kMinWindowMs = 10;
inline constexpr int kMaxWindowMs = 10000;
// The firmware's longest line is well below this; more without a line end is not our firmware.
inline constexpr int kMaxLineLength = 64;
// The converter's reference: no reading can be above it.
inline constexpr double kReferenceMv = 5000.0;

std::uint16_t Crc16(QByteArrayView bytes);

// Sequence numbers run 1 .. 65535 and start again at 1; 0 is the firmware's "unknown".
std::uint16_t NextSequence(std::uint16_t sequence);

QByteArray IdentifyRequest(std::uint16_t sequence);
QByteArray MeasureRequest(std::uint16_t sequence, int windowMs);

struct Measurement {
    double millivolts1 = 0.0;
    double millivolts2 = 0.0;
    int samples = 0;
};

// The identification answer to request `sequence`: empty when the device is our firmware at
// the protocol version this program speaks, otherwise why not.
QString CheckIdentity(QByteArrayView line, std::uint16_t sequence);

// The measurement answer to request `sequence`, or nothing and the reason in `error`.
std::optional<Measurement> ParseMeasurement(QByteArrayView line, std::uint16_t sequence, QString& error);

// Gathers the bytes of one answer line as they arrive, against the deadline of its request.
// A line that completes after the deadline is late, and late is a failure like any other.
class AnswerReader {
public:
    enum class State { Waiting, Complete, Late, Overlong };

    explicit AnswerReader(std::int64_t deadlineMs) : deadlineMs_(deadlineMs) {}

    // Bytes received at `nowMs` (possibly none: a look at the time).
    State Take(QByteArrayView bytes, std::int64_t nowMs);
    State Current() const { return state_; }
    // The line without its end, once Complete.
    const QByteArray& Line() const { return line_; }
    // Some bytes came, but no line end.
    bool Partial() const { return state_ != State::Complete && !line_.isEmpty(); }
    std::int64_t DeadlineMs() const { return deadlineMs_; }

    // The French reason of a Late or Overlong state.
    QString FailureText() const;

private:
    std::int64_t deadlineMs_;
    State state_ = State::Waiting;
    QByteArray line_;
};

}  // namespace UsbProtocol
