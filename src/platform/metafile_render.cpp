#include "platform/metafile_render.h"

#include "platform/runtime_error.h"

namespace tessaron {

bool isMetafile(const QByteArray& head)
{
    if (head.size() < 4)
        return false;
    const auto byte = [&](int i) { return static_cast<unsigned char>(head[i]); };
    const bool placeable = byte(0) == 0xD7 && byte(1) == 0xCD && byte(2) == 0xC6 && byte(3) == 0x9A;
    const bool standardWmf = (byte(0) == 1 || byte(0) == 2) && byte(1) == 0 && byte(2) == 9 && byte(3) == 0;
    const bool emf = byte(0) == 1 && byte(1) == 0 && byte(2) == 0 && byte(3) == 0;
    return placeable || standardWmf || emf;
}

QImage renderMetafile(const QByteArray&, float, float)
{
    // Metafiles are not drawn yet.
    throw RuntimeError(err::InvalidPicture);
}

}  // namespace tessaron
