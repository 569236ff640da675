#pragma once

#include "board/BoardProtocol.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class Clock;
class PortBus;

// The acquisition board's driver component: programs the board's parallel interface and
// measures its two analogue channels, paced by PC timer channel 2. It runs on whatever PortBus
// it is given: the real board or the emulated one.
//
// Status: every operation clears ErrorCode/ErrorMessage and calls DoUsing; every error sets
// them and calls DoUsing again, so an OnUsing handler sees each use and each error as it
// happens. Arguments the board cannot honour raise BoardRangeError before any port is touched.
class TTorviC : public QObject {
    Q_OBJECT

public:
    enum class TlisteCartes { Kestrola };
    Q_ENUM(TlisteCartes)
    enum class TlisteConfigurations { aSortie_bcEntree, abcEntree, acEntree_bSortie, abEntree_cSortie };
    Q_ENUM(TlisteConfigurations)
    enum class TSeparateurDecimal { virgule, point };
    Q_ENUM(TSeparateurDecimal)

    // Notification event: called with the component as sender; an empty one is not called.
    using TNotifyEvent = std::function<void(QObject* sender)>;

    static constexpr std::uint16_t kMaxAdressOffset = 368;
    static constexpr int kDefaultNombreDePoints = 256;
    // Codes beyond the fixed set 1..5: the timer output stopped changing during a measurement.
    static constexpr int kErrorNoTimerSignal = 6;

    // Writes the default configuration's control word (0x8B) to the board. The bus and the
    // clock must outlive the component; the destructor touches neither.
    TTorviC(PortBus& bus, Clock& clock, QObject* owner = nullptr);

    // Offset added to the base address 0x280: 0, 16, ..., 112 and 256, 272, ..., 368. Other
    // values are corrected, with status codes 1 to 3.
    std::uint16_t AdressOffset() const { return adressOffset_; }
    void SetAdressOffset(std::uint16_t value);

    TlisteCartes NomCarte() const { return nomCarte_; }
    void SetNomCarte(TlisteCartes value) { nomCarte_ = value; }

    // Port directions of the parallel interface; setting it writes the control word, even when
    // the value does not change.
    TlisteConfigurations Configuration() const { return configuration_; }
    void SetConfiguration(TlisteConfigurations value);
    static std::uint8_t ControlWord(TlisteConfigurations configuration);

    int NombreDePointsDeMesure() const { return nombreDePointsDeMesure_; }
    void SetNombreDePointsDeMesure(int value) { nombreDePointsDeMesure_ = value; }

    TSeparateurDecimal SepDecimalPourTransfert() const { return sepDecimalPourTransfert_; }
    void SetSepDecimalPourTransfert(TSeparateurDecimal value) { sepDecimalPourTransfert_ = value; }

    // Never fired; kept as a settable event of the component.
    const TNotifyEvent& OnNeFaitRien() const { return onNeFaitRien_; }
    void SetOnNeFaitRien(TNotifyEvent handler) { onNeFaitRien_ = std::move(handler); }
    const TNotifyEvent& OnUsing() const { return onUsing_; }
    void SetOnUsing(TNotifyEvent handler) { onUsing_ = std::move(handler); }

    // Writes `control` to the parallel interface's control register.
    void WriteControl(std::uint8_t control);

    // Takes `count` samples of both channels at the lowest frequency at or above `frequency`
    // that the timer can make (1 193 200 / trunc(1 193 200 / frequency)), and returns when
    // MeasureDuration has passed on the clock since the call. Throws BoardRangeError for a
    // count of 0 or of 2^31 and more, and for a frequency that is not a positive number or
    // gives a divisor above 65 535 (18,206787109375 Hz and below).
    void MeasureVoltages(std::uint32_t count, double frequency);

    double Voltage1() const { return voltage1_; }
    double Voltage2() const { return voltage2_; }
    double ActualFrequency() const { return actualFrequency_; }
    double MeasureDuration() const { return measureDuration_; }
    int ErrorCode() const { return errorCode_; }
    QString ErrorMessage() const { return errorMessage_; }

    // Calls OnUsing, if assigned, with this component as sender.
    virtual void DoUsing();

private:
    void ClearStatus();
    void RaiseStatus(int code, const QString& message);

    PortBus& bus_;
    Clock& clock_;
    BoardProtocol::AddressTable addresses_ = BoardProtocol::AddressTable::ForOffset(0);
    std::uint16_t adressOffset_ = 0;
    TlisteCartes nomCarte_ = TlisteCartes::Kestrola;
    TlisteConfigurations configuration_ = TlisteConfigurations::aSortie_bcEntree;
    int nombreDePointsDeMesure_ = kDefaultNombreDePoints;
    TSeparateurDecimal sepDecimalPourTransfert_ = TSeparateurDecimal::virgule;
    TNotifyEvent onNeFaitRien_;
    TNotifyEvent onUsing_;
    double voltage1_ = 0.0;
    double voltage2_ = 0.0;
    double actualFrequency_ = 0.0;
    double measureDuration_ = 0.0;
    int errorCode_ = 0;
    QString errorMessage_;
};
