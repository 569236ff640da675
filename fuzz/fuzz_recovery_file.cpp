// Any bytes as a run's recovery file: every whole sample read back is one the rebuilt run can
// use, and anything else is refused as unreadable, never a crash.
#include "data/RecoveryFile.h"
#include "data/VolumeReconstruction.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const RecoveryFile::Contents contents = RecoveryFile::Parse(bytes);
        if (contents.sampleEndsMs.size() != contents.pH.size())
            std::abort();
        for (std::size_t i = 1; i < contents.sampleEndsMs.size(); ++i)
            if (contents.sampleEndsMs[i] < contents.sampleEndsMs[i - 1])
                std::abort();
        for (const VolumeReconstruction::Mark& mark :
             VolumeReconstruction::MarksOfPresses(contents.sampleEndsMs, contents.pressesMs, 1000))
            if (mark.row < 1 || mark.row > contents.SampleCount())
                std::abort();
    } catch (const RecoveryFile::Unreadable&) {
        // Refused as a whole: moved aside with a message by the program.
    }
    return 0;
}
