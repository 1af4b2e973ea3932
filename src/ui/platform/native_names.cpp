#include "ui/platform/native_names.h"

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

// The length of the well-formed UTF-8 sequence at `at` and its code point, or 0.
std::size_t decodeOne(std::string_view bytes, std::size_t at, char32_t& code)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = byte(at);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80)
        return code = lead, 1;
    if ((lead & 0xE0) == 0xC0)
        length = 2, code = lead & 0x1F, min = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, code = lead & 0x0F, min = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, code = lead & 0x07, min = 0x10000;
    else
        return 0;
    if (at + length > bytes.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are not UTF-8.
    if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

void appendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

QString nameFromNative(std::string_view bytes)
{
    QString name;
    name.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        const std::size_t length = decodeOne(bytes, at, code);
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
