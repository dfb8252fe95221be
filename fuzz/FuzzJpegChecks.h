#pragma once

// The check of the DC-only JPEG decoder's fuzz target (fuzz_jpegdc), apart
// from FuzzChecks.h because the decoder lives in the image library, not the core.

#include "scan/JpegDcDecoder.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace FuzzChecks {

// Any bytes as a JPEG, in a buffer of exactly their size (a read past the
// end shows under AddressSanitizer): a decoded image has the size of the
// frame header's an eighth; a declined or failed one says why and has no
// image; thoroughly, a second decode gives the same.
inline QString checkJpegDc(const QByteArray &data, bool thorough = true)
{
    const std::vector<uchar> exact(data.begin(), data.end());
    auto decode = [&exact] {
        return JpegDcDecoder::decode(exact.empty() ? nullptr : exact.data(), qsizetype(exact.size()));
    };
    const JpegDcDecoder::Result r = decode();
    switch (r.status) {
    case JpegDcDecoder::Status::Decoded: {
        if (r.image.isNull())
            return QStringLiteral("decoded without an image");
        const QSize expected((r.sourceSize.width() + 7) / 8, (r.sourceSize.height() + 7) / 8);
        if (r.image.size() != expected)
            return QStringLiteral("an image of %1 x %2 for a frame of %3 x %4")
                .arg(r.image.width()).arg(r.image.height()).arg(r.sourceSize.width()).arg(r.sourceSize.height());
        break;
    }
    case JpegDcDecoder::Status::Declined:
    case JpegDcDecoder::Status::Failed:
        if (r.message.isEmpty())
            return QStringLiteral("declined or failed without a reason");
        if (!r.image.isNull())
            return QStringLiteral("an image although it was not decoded (%1)").arg(r.message);
        break;
    default:
        return QStringLiteral("unknown status %1").arg(int(r.status));
    }
    if (thorough) {
        const JpegDcDecoder::Result again = decode();
        if (again.status != r.status || again.message != r.message || again.image != r.image)
            return QStringLiteral("a second decode gave another result (%1)").arg(again.message);
    }
    return QString();
}

} // namespace FuzzChecks
