#include "text/Windows1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <stdexcept>

namespace Windows1252 {

namespace {

constexpr const char* kCodecName = "windows-1252";

QStringEncoder MakeEncoder()
{
    QStringEncoder encoder(kCodecName);
    if (!encoder.isValid())
        throw std::runtime_error("Le jeu de caractères windows-1252 n'est pas disponible.");
    return encoder;
}

}  // namespace

QByteArray Encode(const QString& text)
{
    QStringEncoder encoder = MakeEncoder();
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    // Rare (a character typed in a comment that the code page lacks): one code point at a time.
    bytes.clear();
    bytes.reserve(text.size());
    const QStringView view(text);
    for (qsizetype i = 0; i < view.size();) {
        const qsizetype length = (view[i].isHighSurrogate() && i + 1 < view.size() && view[i + 1].isLowSurrogate()) ? 2 : 1;
        QStringEncoder one = MakeEncoder();
        const QByteArray encoded = one.encode(view.mid(i, length));
        bytes += (one.hasError() || encoded.size() != 1) ? QByteArray(1, '?') : encoded;
        i += length;
    }
    return bytes;
}

QString Decode(const QByteArray& bytes)
{
    QStringDecoder decoder(kCodecName);
    if (!decoder.isValid())
        throw std::runtime_error("Le jeu de caractères windows-1252 n'est pas disponible.");
    return decoder.decode(bytes);
}

}  // namespace Windows1252
