/*
 * Quorin's USB acquisition interface: firmware for an ATmega328P at 16 MHz (Uno-class board).
 *
 * Measures the analogue inputs A0 and A1 as the acquisition board measures its two channels: a
 * burst of samples paced by Timer1 over the window the program asks for, summed and averaged,
 * then returned in millivolts with the number of samples taken. Speaks only when spoken to:
 * one answer line per request line, nothing else, ever.
 *
 * Line protocol at 115 200 baud (see ARCHITECTURE.md, "The USB interface"):
 *   request  "<seq> ID*<crc>"            answer "<seq> ID QuorinUSB <version>*<crc>"
 *   request  "<seq> MES <window ms>*<crc>" answer "<seq> MES <mV A0> <mV A1> <samples>*<crc>"
 *   a request that cannot be served:     answer "<seq> ERR <reason>*<crc>" (seq 0 when the
 *                                         request's own seq cannot be trusted)
 * <crc> is the CRC-16/XMODEM of every byte before '*', in four upper-case hex digits; lines
 * end with '\n' (a '\r' before it is ignored).
 */

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>
#include <stdint.h>
#include <util/crc16.h>

#define BAUD_DIVISOR 16u /* 16 MHz / (8 x 17) = 117 647 Bd with U2X0, 2,1 % from 115 200 */
#define PROTOCOL_NAME "QuorinUSB"
#define PROTOCOL_VERSION "1"
#define SAMPLES_PER_SECOND 1000u
#define TIMER1_TOP 1999u /* 16 MHz / 8 / 2000 = 1 kHz */
#define MIN_WINDOW_MS 10u
#define MAX_WINDOW_MS 10000u
#define REFERENCE_MV 5000u /* AVCC, the board's 5 V */
#define LINE_MAX 48u
#define RX_RING 64u        /* power of two */

/* REFS0: AVCC reference with the capacitor on AREF, right-adjusted result. */
#define ADMUX_CHANNEL(c) ((uint8_t)((1 << REFS0) | (c)))

static volatile uint8_t rxRing[RX_RING];
static volatile uint8_t rxHead;
static volatile uint8_t rxTail;

static volatile uint16_t samplesLeft;
static volatile uint16_t samplesTaken;
static volatile uint32_t sumA0;
static volatile uint32_t sumA1;
static volatile uint8_t convertingA1;

ISR(USART_RX_vect)
{
    const uint8_t byte = UDR0;
    const uint8_t next = (uint8_t)((rxHead + 1u) & (RX_RING - 1u));
    /* A full ring drops the byte; the line it belonged to then fails its checksum. */
    if (next != rxTail) {
        rxRing[rxHead] = byte;
        rxHead = next;
    }
}

/* Each tick starts one pair of conversions, A0 then A1 (2 x 104 us at 125 kHz ADC clock). */
ISR(TIMER1_COMPA_vect)
{
    if (samplesLeft == 0u || (ADCSRA & (1 << ADSC)))
        return;
    convertingA1 = 0;
    ADMUX = ADMUX_CHANNEL(0);
    ADCSRA |= (1 << ADSC);
}

ISR(ADC_vect)
{
    const uint16_t code = ADC;
    if (!convertingA1) {
        sumA0 += code;
        convertingA1 = 1;
        ADMUX = ADMUX_CHANNEL(1);
        ADCSRA |= (1 << ADSC);
        return;
    }
    sumA1 += code;
    ++samplesTaken;
    if (--samplesLeft == 0u)
        TCCR1B = 0; /* timer stopped: the burst is over */
}

static void Setup(void)
{
    UBRR0H = (uint8_t)(BAUD_DIVISOR >> 8);
    UBRR0L = (uint8_t)BAUD_DIVISOR;
    UCSR0A = (1 << U2X0);
    UCSR0B = (1 << RXEN0) | (1 << TXEN0) | (1 << RXCIE0);
    UCSR0C = (1 << UCSZ01) | (1 << UCSZ00); /* 8N1 */

    /* ADC on, clock 16 MHz / 128 = 125 kHz (the converter wants 50 to 200 kHz for 10 bits).
       The first conversion after enabling is the long one; it is done here, not in a burst. */
    DIDR0 = (1 << ADC0D) | (1 << ADC1D);
    ADMUX = ADMUX_CHANNEL(0);
    ADCSRA = (1 << ADEN) | (1 << ADPS2) | (1 << ADPS1) | (1 << ADPS0);
    ADCSRA |= (1 << ADSC);
    while (ADCSRA & (1 << ADSC)) {
    }
    ADCSRA |= (1 << ADIE);

    TCCR1A = 0;
    TCCR1B = 0;
    OCR1A = TIMER1_TOP;
    TIMSK1 = (1 << OCIE1A);

    set_sleep_mode(SLEEP_MODE_IDLE);
    sei();
}

/* Sleeps until an interrupt unless `ready` already holds; no wake-up is lost in between. */
static void SleepUnless(uint8_t (*ready)(void))
{
    cli();
    if (!ready()) {
        sleep_enable();
        sei();
        sleep_cpu();
        sleep_disable();
    }
    sei();
}

static uint8_t ByteWaiting(void)
{
    return rxHead != rxTail;
}

static uint8_t BurstOver(void)
{
    return samplesLeft == 0u;
}

static uint8_t TakeByte(void)
{
    while (!ByteWaiting())
        SleepUnless(ByteWaiting);
    const uint8_t byte = rxRing[rxTail];
    rxTail = (uint8_t)((rxTail + 1u) & (RX_RING - 1u));
    return byte;
}

/* ---- answer lines ------------------------------------------------------------------------ */

static char answer[LINE_MAX + 8];
static uint8_t answerLength;

static void Put(char c)
{
    if (answerLength < LINE_MAX)
        answer[answerLength++] = c;
}

static void PutText(const char* text)
{
    while (*text)
        Put(*text++);
}

static void PutUnsigned(uint32_t value)
{
    char digits[10];
    uint8_t n = 0;
    do {
        digits[n++] = (char)('0' + value % 10u);
        value /= 10u;
    } while (value != 0u);
    while (n != 0u)
        Put(digits[--n]);
}

/* Hundredths of a millivolt as "1234.56". */
static void PutMillivolts(uint32_t hundredths)
{
    PutUnsigned(hundredths / 100u);
    Put('.');
    Put((char)('0' + hundredths / 10u % 10u));
    Put((char)('0' + hundredths % 10u));
}

static void SendAnswer(void)
{
    static const char hex[] = "0123456789ABCDEF";
    uint16_t crc = 0;
    for (uint8_t i = 0; i < answerLength; ++i)
        crc = _crc_xmodem_update(crc, (uint8_t)answer[i]);
    answer[answerLength++] = '*';
    answer[answerLength++] = hex[(crc >> 12) & 0xF];
    answer[answerLength++] = hex[(crc >> 8) & 0xF];
    answer[answerLength++] = hex[(crc >> 4) & 0xF];
    answer[answerLength++] = hex[crc & 0xF];
    answer[answerLength++] = '\n';
    for (uint8_t i = 0; i < answerLength; ++i) {
        while (!(UCSR0A & (1 << UDRE0))) {
        }
        UDR0 = (uint8_t)answer[i];
    }
    answerLength = 0;
}

static void BeginAnswer(uint16_t seq, const char* verb)
{
    answerLength = 0;
    PutUnsigned(seq);
    Put(' ');
    PutText(verb);
}

static void SendError(uint16_t seq, const char* reason)
{
    BeginAnswer(seq, "ERR ");
    PutText(reason);
    SendAnswer();
}

/* ---- requests ---------------------------------------------------------------------------- */

static char line[LINE_MAX + 1];

/* Reads a decimal number of 1 to 5 digits at *p; 0 when there is none or it passes 65 535. */
static uint8_t ReadNumber(const char** p, uint16_t* value)
{
    uint32_t v = 0;
    uint8_t digits = 0;
    while (**p >= '0' && **p <= '9') {
        v = v * 10u + (uint32_t)(**p - '0');
        ++*p;
        if (++digits > 5u || v > 65535u)
            return 0;
    }
    *value = (uint16_t)v;
    return digits != 0u;
}

static uint8_t HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return (uint8_t)(c - '0');
    if (c >= 'A' && c <= 'F')
        return (uint8_t)(c - 'A' + 10);
    return 0xFF;
}

static uint8_t SameText(const char* a, const char* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

static void Measure(uint16_t seq, uint16_t windowMs)
{
    const uint16_t count = (uint16_t)((uint32_t)windowMs * SAMPLES_PER_SECOND / 1000u);
    cli();
    sumA0 = 0;
    sumA1 = 0;
    samplesTaken = 0;
    samplesLeft = count;
    TCNT1 = 0;
    TIFR1 = (1 << OCF1A);
    TCCR1B = (1 << WGM12) | (1 << CS11); /* CTC on OCR1A, clock / 8 */
    sei();
    while (!BurstOver())
        SleepUnless(BurstOver);

    /* Mean code x 5000 / 1024 in hundredths of a millivolt, rounded. */
    const uint64_t scale = (uint64_t)REFERENCE_MV * 100u;
    const uint64_t divisor = (uint64_t)samplesTaken * 1024u;
    const uint32_t a0 = (uint32_t)(((uint64_t)sumA0 * scale + divisor / 2u) / divisor);
    const uint32_t a1 = (uint32_t)(((uint64_t)sumA1 * scale + divisor / 2u) / divisor);
    BeginAnswer(seq, "MES ");
    PutMillivolts(a0);
    Put(' ');
    PutMillivolts(a1);
    Put(' ');
    PutUnsigned(samplesTaken);
    SendAnswer();
}

static void Serve(uint8_t length)
{
    /* The checksum first: nothing of a damaged line, its seq included, can be trusted. */
    if (length < 6u || line[length - 5u] != '*') {
        SendError(0, "SYNTAX");
        return;
    }
    uint16_t expected = 0;
    for (uint8_t i = length - 4u; i < length; ++i) {
        const uint8_t digit = HexValue(line[i]);
        if (digit == 0xFF) {
            SendError(0, "SYNTAX");
            return;
        }
        expected = (uint16_t)(expected << 4 | digit);
    }
    uint16_t crc = 0;
    for (uint8_t i = 0; i < length - 5u; ++i)
        crc = _crc_xmodem_update(crc, (uint8_t)line[i]);
    if (crc != expected) {
        SendError(0, "CHECKSUM");
        return;
    }
    line[length - 5u] = '\0';

    const char* p = line;
    uint16_t seq = 0;
    if (!ReadNumber(&p, &seq) || seq == 0u || *p != ' ') {
        SendError(0, "SYNTAX");
        return;
    }
    ++p;
    if (SameText(p, "ID")) {
        BeginAnswer(seq, "ID " PROTOCOL_NAME " " PROTOCOL_VERSION);
        SendAnswer();
        return;
    }
    if (p[0] == 'M' && p[1] == 'E' && p[2] == 'S' && p[3] == ' ') {
        p += 4;
        uint16_t windowMs = 0;
        if (!ReadNumber(&p, &windowMs) || *p != '\0') {
            SendError(seq, "SYNTAX");
            return;
        }
        if (windowMs < MIN_WINDOW_MS || windowMs > MAX_WINDOW_MS) {
            SendError(seq, "WINDOW");
            return;
        }
        Measure(seq, windowMs);
        return;
    }
    SendError(seq, "COMMAND");
}

int main(void)
{
    Setup();
    uint8_t length = 0;
    uint8_t overlong = 0;
    for (;;) {
        const char c = (char)TakeByte();
        if (c == '\r')
            continue;
        if (c == '\n') {
            if (overlong)
                SendError(0, "LENGTH");
            else if (length != 0u)
                Serve(length);
            length = 0;
            overlong = 0;
            continue;
        }
        if (length < LINE_MAX)
            line[length++] = c;
        else
            overlong = 1;
    }
}
