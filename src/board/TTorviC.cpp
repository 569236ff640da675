#include "board/TTorviC.h"

#include "board/BoardRangeError.h"
#include "board/Clock.h"
#include "board/PortBus.h"

#include <cmath>
#include <limits>

namespace {

constexpr std::uint32_t kMaxCount = std::numeric_limits<std::int32_t>::max();
constexpr double kMaxDivisor = 65535.0;
constexpr double kLongestMeasureS = 60.0;
// How long one wait for a timer edge may last beyond a few periods before the timer is taken
// for absent: longer than the scheduler's real-time throttling (50 ms in each second) can hold
// a real-board measurement.
constexpr std::int64_t kEdgeGraceNs = 250'000'000;
constexpr std::int64_t kEdgePeriodsAllowed = 4;

// Decimal texts in messages use ',' like every number the program shows.
QString DecimalText(double value)
{
    return QString::number(value, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

}  // namespace

TTorviC::TTorviC(PortBus& bus, Clock& clock, QObject* owner) : QObject(owner), bus_(bus), clock_(clock)
{
    SetConfiguration(TlisteConfigurations::aSortie_bcEntree);
}

void TTorviC::SetAdressOffset(std::uint16_t value)
{
    ClearStatus();
    if (value > kMaxAdressOffset) {
        RaiseStatus(1, QStringLiteral("addrOffset, décalage d'adresse doit être multiple de 16, entre 0 et 368"));
        value = 0;
    }
    if (value % 16 != 0) {
        RaiseStatus(2, QStringLiteral("addrOffset doit être multiple de 16"));
        value = static_cast<std::uint16_t>(value - value % 16);
    }
    // 0x300..0x37F belongs to other devices of the PC.
    if (value / 16 >= 8 && value / 16 <= 15) {
        RaiseStatus(3, QStringLiteral("addrOffset ne doit pas être entre 8 x 16 et 15 x 16"));
        value = 0;
    }
    adressOffset_ = value;
    addresses_ = BoardProtocol::AddressTable::ForOffset(value);
}

void TTorviC::SetConfiguration(TlisteConfigurations value)
{
    configuration_ = value;
    WriteControl(ControlWord(value));
}

std::uint8_t TTorviC::ControlWord(TlisteConfigurations configuration)
{
    // 8255 mode 0: bit 7 set; bit 4 port A in, bit 3 port C upper in, bit 1 port B in, bit 0 port C lower in.
    switch (configuration) {
    case TlisteConfigurations::aSortie_bcEntree:
        return 0x8B;
    case TlisteConfigurations::abcEntree:
        return 0x9B;
    case TlisteConfigurations::acEntree_bSortie:
        return 0x99;
    case TlisteConfigurations::abEntree_cSortie:
        return 0x92;
    }
    return 0x8B;
}

void TTorviC::WriteControl(std::uint8_t control)
{
    ClearStatus();
    BoardProtocol::WriteControl(bus_, addresses_, control);
}

void TTorviC::MeasureVoltages(std::uint32_t count, double frequency)
{
    if (count > kMaxCount)
        throw BoardRangeError(QStringLiteral("Nombre de points de mesure trop grand : %1 (au plus 2147483647).")
                                  .arg(count));
    // The mean would divide by zero.
    if (count == 0)
        throw BoardRangeError(QStringLiteral("Nombre de points de mesure nul : il en faut au moins 1."));
    nombreDePointsDeMesure_ = static_cast<int>(count);
    ClearStatus();

    // Zero, negative and non-numeric frequencies are refused outright: truncating them would
    // divide by zero, or turn a large negative frequency into the shortest divisor.
    const double quotient = BoardProtocol::kTimerClockHz / frequency;
    if (!(frequency > 0.0) || std::trunc(quotient) > kMaxDivisor)
        throw BoardRangeError(
            QStringLiteral("Fréquence d'échantillonnage hors limites : %1 Hz (elle doit dépasser 18,206787109375 Hz).")
                .arg(DecimalText(frequency)));
    double divisor = std::trunc(quotient);
    if (divisor < 2.0) {
        RaiseStatus(5, QStringLiteral("Fréquence incorrecte"));
        divisor = 2.0;
    }
    actualFrequency_ = BoardProtocol::kTimerClockHz / divisor;
    measureDuration_ = static_cast<double>(count) / actualFrequency_;
    if (measureDuration_ > kLongestMeasureS)
        RaiseStatus(4, QStringLiteral("Durée d'une mesure de tension supérieure à 60 secondes"));

    const std::int64_t startMs = clock_.NowMs();
    const auto periodNs = static_cast<std::int64_t>(divisor * 1e9 / BoardProtocol::kTimerClockHz);
    const BoardProtocol::SampleSums sums =
        BoardProtocol::Measure(bus_, addresses_, static_cast<std::uint16_t>(divisor), count,
                               kEdgePeriodsAllowed * periodNs + kEdgeGraceNs);
    if (sums.samples > 0) {
        const auto samples = static_cast<double>(sums.samples);
        voltage1_ = BoardProtocol::CodeToVolts(static_cast<double>(sums.channel1) / samples);
        voltage2_ = BoardProtocol::CodeToVolts(static_cast<double>(sums.channel2) / samples);
    }
    if (sums.samples < count)
        RaiseStatus(kErrorNoTimerSignal,
                    QStringLiteral("Signal d'échantillonnage absent (compteur 2 du PC) : mesure interrompue après %1 "
                                   "points sur %2")
                        .arg(sums.samples)
                        .arg(count));
    // The board blocks its caller for the whole measurement; the run's cycle counts on it.
    clock_.WaitUntil(startMs + std::llround(measureDuration_ * 1000.0));
}

void TTorviC::DoUsing()
{
    if (onUsing_)
        onUsing_(this);
}

void TTorviC::ClearStatus()
{
    errorCode_ = 0;
    errorMessage_.clear();
    DoUsing();
}

void TTorviC::RaiseStatus(int code, const QString& message)
{
    errorCode_ = code;
    errorMessage_ = message;
    DoUsing();
}
