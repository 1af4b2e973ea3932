#include "ui/platform/native_names.h"

#include "core/platform/utf8.h"

#include <QUrl>

#include <cstdint>

namespace tessaron {
namespace {

constexpr char16_t kKeptByte = 0xDC00;
// The Unicode block that pictures the C0 control characters, U+0000 at its start, and
// its picture of DEL.
constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;

bool isKeptByte(char16_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }

// The marks that reorder the text around them: "bidi" U+202E "gpj.live" would show as
// "bidilive.jpg", so a name could pass itself off as another kind of file.
bool isDirectionMark(char16_t unit)
{
    return unit == 0x061C || unit == 0x200E || unit == 0x200F || (unit >= 0x202A && unit <= 0x202E)
        || (unit >= 0x2066 && unit <= 0x2069);
}

}  // namespace

QString nameFromNative(std::string_view bytes)
{
    QString name;
    name.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        const std::size_t length = decodeUtf8(bytes, at, code);
        if (length == 0) {
            name += QChar(static_cast<char16_t>(kKeptByte + static_cast<std::uint8_t>(bytes[at])));
            ++at;
            continue;
        }
        const char32_t one[] = {code};
        name += QString::fromUcs4(one, 1);
        at += length;
    }
    return name;
}

std::string nativeFromName(const QString& name)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(name.size()));
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && QChar::isLowSurrogate(name[i + 1].unicode())) {
            appendUtf8(bytes, QChar::surrogateToUcs4(unit, name[i + 1].unicode()));
            ++i;
        } else if (isKeptByte(unit)) {
            bytes += static_cast<char>(unit - kKeptByte);
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(bytes, 0xFFFD);
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

QString shownName(const QString& name)
{
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t unit = shown[i].unicode();
        const bool paired = i > 0 && QChar::isHighSurrogate(shown[i - 1].unicode());
        if (unit < 0x20)
            shown[i] = QChar(static_cast<char16_t>(kControlPictures + unit));
        else if (unit == 0x7F)
            shown[i] = QChar(kDeletePicture);
        else if ((isKeptByte(unit) && !paired) || (unit >= 0x80 && unit < 0xA0) || unit == 0x2028 || unit == 0x2029
            || isDirectionMark(unit))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

QString nameFromFileUrl(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    return nameFromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
}

QString nameFromFileAddress(std::string_view address)
{
    // Read as text, a byte that is not UTF-8 would become a replacement character and the
    // name it belongs to could not be opened; escaped first, it reaches the path as it is.
    QByteArray escaped;
    for (const char c : address) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte > 0x20 && byte < 0x7F)
            escaped += c;
        else
            escaped += '%' + QByteArray::number(byte, 16).toUpper();
    }
    return nameFromFileUrl(QUrl::fromEncoded(escaped));
}

}  // namespace tessaron
