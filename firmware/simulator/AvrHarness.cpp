// Runs the USB interface's firmware image (.hex) on the simulated ATmega328P and puts its UART on
// a pseudo-terminal, as the board's USB-serial chip puts it on /dev/ttyACM0.
//
//   AvrHarness <firmware.hex>
//
// Prints "PTY <path of the terminal's slave side>" once ready, then takes one command per line
// on its standard input and answers each with "OK" (or "ERREUR ..."):
//   V <channel> <millivolts>   the voltage on A<channel> from now on
//   NOISE <millivolts>         peak amplitude of the uniform noise added to every conversion
//   CORRUPT                    the next answer line gets one digit changed after its second space
//   CUT                        the next answer line stops after 10 bytes, without its line end
//   MUTE                       the next answer line is not sent at all
//   STAT                       prints "STAT <simulated ms> <real ms>" before "OK"
//   CLOSE                      closes the terminal (the board unplugged) and ends
// and ends at the end of its input.
//
// Time: the simulated microcontroller never runs ahead of the real clock (it idles, and the
// simulator skips its sleep, so it would otherwise be far ahead), so its 1 kHz sampling timer
// and its measurement windows last what they last on the board. When the simulator falls behind
// the real clock it runs as fast as it can, and STAT shows by how much it is late.
//
// The converter: the simulator turns an input of m millivolts into floor(m x 1023 / Vref),
// not into what the microcontroller's data sheet gives, round(V x 1024 / Vref). The harness
// computes the data sheet's code from the voltage and its noise, and hands the simulator the
// whole number of millivolts that it turns into exactly that code.

extern "C" {
#include <avr_adc.h>
#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_hex.h>
#include <sim_io.h>
#include <sim_irq.h>
}

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

constexpr std::uint32_t kFrequencyHz = 16000000;
constexpr double kReferenceMv = 5000.0;
constexpr int kChannels = 2;

struct Harness {
    avr_t* avr = nullptr;
    int master = -1;
    avr_irq_t* uartIn = nullptr;
    avr_irq_t* adcIn[kChannels] = {};
    bool xoff = false;
    std::string toAvr;

    double millivolts[kChannels] = {0.0, 0.0};
    double noiseMv = 3.0;
    std::uint32_t random = 12345;

    // Faults armed for the next answer line, and the one the current line carries.
    enum class Fault { None, Corrupt, Cut, Mute };
    Fault armed = Fault::None;
    Fault current = Fault::None;
    int lineBytes = 0;
    int spaces = 0;
    bool corrupted = false;
};

Harness harness;

std::int64_t WallNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t SimulatedNs()
{
    return static_cast<std::int64_t>(harness.avr->cycle * 1000000000ULL / kFrequencyHz);
}

double Noise()
{
    harness.random = harness.random * 1664525u + 1013904223u;
    const double unit = static_cast<double>(harness.random >> 8) / static_cast<double>(1u << 24);
    return (2.0 * unit - 1.0) * harness.noiseMv;
}

// A conversion starts: the channel's voltage and noise, as the data sheet's converter codes it.
void OnConversionStart(avr_irq_t*, std::uint32_t value, void*)
{
    union {
        avr_adc_mux_t mux;
        std::uint32_t v;
    } e{};
    e.v = value;
    if (e.mux.kind != ADC_MUX_SINGLE || e.mux.src >= kChannels)
        return;
    const int channel = static_cast<int>(e.mux.src);
    const double volts = harness.millivolts[channel] + Noise();
    const double code = std::clamp(std::floor(volts * 1024.0 / kReferenceMv + 0.5), 0.0, 1023.0);
    const auto simulatorMv = static_cast<std::uint32_t>(std::ceil(code * kReferenceMv / 1023.0));
    avr_raise_irq(harness.adcIn[channel], simulatorMv);
}

void WriteToTerminal(std::uint8_t byte)
{
    if (harness.master < 0)
        return;
    // The reader is a test program on the same machine: a full terminal drains quickly.
    while (write(harness.master, &byte, 1) < 0 && (errno == EAGAIN || errno == EINTR))
        usleep(100);
}

void OnByteOut(avr_irq_t*, std::uint32_t value, void*)
{
    auto byte = static_cast<std::uint8_t>(value);
    if (harness.lineBytes == 0) {
        harness.current = harness.armed;
        harness.armed = Harness::Fault::None;
        harness.spaces = 0;
        harness.corrupted = false;
    }
    ++harness.lineBytes;
    const bool lineEnd = byte == '\n';
    bool send = true;
    switch (harness.current) {
    case Harness::Fault::Corrupt:
        if (harness.spaces >= 2 && !harness.corrupted && byte >= '0' && byte <= '9') {
            byte ^= 0x01;  // one bit: 2 <-> 3, a digit still
            harness.corrupted = true;
        }
        break;
    case Harness::Fault::Cut:
        send = harness.lineBytes <= 10;
        break;
    case Harness::Fault::Mute:
        send = false;
        break;
    case Harness::Fault::None:
        break;
    }
    if (byte == ' ')
        ++harness.spaces;
    if (send)
        WriteToTerminal(byte);
    if (lineEnd)
        harness.lineBytes = 0;
}

void OnXon(avr_irq_t*, std::uint32_t, void*)
{
    harness.xoff = false;
}

void OnXoff(avr_irq_t*, std::uint32_t, void*)
{
    harness.xoff = true;
}

// The simulator would otherwise sleep in real time itself; the main loop keeps the time.
void NoSleep(avr_t*, avr_cycle_count_t)
{
}

bool OpenTerminal(std::string& slaveName)
{
    harness.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (harness.master < 0 || grantpt(harness.master) != 0 || unlockpt(harness.master) != 0)
        return false;
    termios tio{};
    if (tcgetattr(harness.master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(harness.master, TCSANOW, &tio);
    }
    fcntl(harness.master, F_SETFL, fcntl(harness.master, F_GETFL) | O_NONBLOCK);
    const char* name = ptsname(harness.master);
    if (!name)
        return false;
    slaveName = name;
    return true;
}

bool LoadFirmware(const char* path)
{
    ihex_chunk_p chunks = nullptr;
    const int count = read_ihex_chunks(path, &chunks);
    if (count < 1)
        return false;
    elf_firmware_t firmware{};
    std::strcpy(firmware.mmcu, "atmega328p");
    firmware.frequency = kFrequencyHz;
    firmware.flash = chunks[0].data;
    firmware.flashsize = chunks[0].size;
    firmware.flashbase = chunks[0].baseaddr;
    harness.avr = avr_make_mcu_by_name(firmware.mmcu);
    if (!harness.avr)
        return false;
    avr_init(harness.avr);
    avr_load_firmware(harness.avr, &firmware);
    free_ihex_chunks(chunks);
    harness.avr->frequency = kFrequencyHz;
    harness.avr->vcc = harness.avr->avcc = harness.avr->aref = static_cast<std::uint32_t>(kReferenceMv);
    harness.avr->sleep = NoSleep;
    harness.avr->log = LOG_NONE;
    return true;
}

void ConnectPeripherals()
{
    avr_t* avr = harness.avr;
    std::uint32_t flags = 0;
    // No console printing, no real-time sleep while the firmware polls the UART.
    avr_ioctl(avr, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    harness.uartIn = avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_INPUT);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT), OnByteOut, nullptr);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XON), OnXon, nullptr);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XOFF), OnXoff, nullptr);
    for (int channel = 0; channel < kChannels; ++channel)
        harness.adcIn[channel] = avr_io_getirq(avr, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_ADC0 + channel);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_OUT_TRIGGER), OnConversionStart,
                            nullptr);
}

void Reply(const char* text)
{
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Returns false when the harness is to end.
bool Command(const std::string& line, std::int64_t startNs)
{
    char word[16] = {};
    int channel = 0;
    double value = 0.0;
    if (std::sscanf(line.c_str(), "V %d %lf", &channel, &value) == 2 && channel >= 0 && channel < kChannels) {
        harness.millivolts[channel] = value;
    } else if (std::sscanf(line.c_str(), "NOISE %lf", &value) == 1 && value >= 0.0) {
        harness.noiseMv = value;
    } else if (std::sscanf(line.c_str(), "%15s", word) == 1 && std::strcmp(word, "CORRUPT") == 0) {
        harness.armed = Harness::Fault::Corrupt;
    } else if (std::strcmp(word, "CUT") == 0) {
        harness.armed = Harness::Fault::Cut;
    } else if (std::strcmp(word, "MUTE") == 0) {
        harness.armed = Harness::Fault::Mute;
    } else if (std::strcmp(word, "STAT") == 0) {
        std::printf("STAT %lld %lld\n", static_cast<long long>(SimulatedNs() / 1000000),
                    static_cast<long long>((WallNs() - startNs) / 1000000));
    } else if (std::strcmp(word, "CLOSE") == 0) {
        close(harness.master);
        harness.master = -1;
        Reply("OK");
        return false;
    } else {
        Reply("ERREUR commande inconnue");
        return true;
    }
    Reply("OK");
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage : %s <micrologiciel.hex>\n", argv[0]);
        return 2;
    }
    std::string slaveName;
    if (!LoadFirmware(argv[1])) {
        std::fprintf(stderr, "micrologiciel illisible : %s\n", argv[1]);
        return 1;
    }
    ConnectPeripherals();
    if (!OpenTerminal(slaveName)) {
        std::fprintf(stderr, "pas de pseudo-terminal : %s\n", std::strerror(errno));
        return 1;
    }
    fcntl(STDIN_FILENO, F_SETFL, fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    Reply(("PTY " + slaveName).c_str());

    const std::int64_t startNs = WallNs();
    // One millisecond of simulated time between two looks at the terminal and the commands.
    constexpr std::int64_t kSliceNs = 1000000;
    std::string commandLine;
    std::int64_t terminalQuietUntilNs = 0;
    for (;;) {
        const std::int64_t wallNs = WallNs() - startNs;
        const std::int64_t aheadNs = SimulatedNs() - wallNs;
        if (aheadNs < 0) {
            const std::int64_t targetNs = std::min(SimulatedNs() + kSliceNs, wallNs);
            while (SimulatedNs() < targetNs) {
                const int state = avr_run(harness.avr);
                if (state == cpu_Done || state == cpu_Crashed) {
                    std::fprintf(stderr, "le microcontrôleur s'est arrêté (état %d)\n", state);
                    return 1;
                }
            }
        }

        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {harness.master, POLLIN, 0}};
        // Nobody holds the terminal's other side: the master reports a hang-up at once, so it
        // is left out for a moment rather than spun on.
        const bool watchTerminal = harness.master >= 0 && WallNs() >= terminalQuietUntilNs;
        const int timeoutMs = aheadNs > 0 ? static_cast<int>(std::min<std::int64_t>(aheadNs / 1000000 + 1, 5)) : 0;
        poll(fds, watchTerminal ? 2 : 1, timeoutMs);

        if (watchTerminal && (fds[1].revents & POLLIN)) {
            char buffer[256];
            const ssize_t n = read(harness.master, buffer, sizeof buffer);
            if (n > 0)
                harness.toAvr.append(buffer, static_cast<size_t>(n));
        } else if (watchTerminal && (fds[1].revents & (POLLHUP | POLLERR))) {
            terminalQuietUntilNs = WallNs() + 2000000;
        }
        while (!harness.toAvr.empty() && !harness.xoff) {
            avr_raise_irq(harness.uartIn, static_cast<std::uint8_t>(harness.toAvr.front()));
            harness.toAvr.erase(0, 1);
        }

        if (fds[0].revents & (POLLIN | POLLHUP)) {
            char buffer[256];
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n == 0)
                return 0;
            if (n > 0)
                commandLine.append(buffer, static_cast<size_t>(n));
            for (std::size_t end; (end = commandLine.find('\n')) != std::string::npos;) {
                const std::string line = commandLine.substr(0, end);
                commandLine.erase(0, end + 1);
                if (!Command(line, startNs))
                    return 0;
            }
        }
    }
}
