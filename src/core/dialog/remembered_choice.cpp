#include "core/dialog/remembered_choice.h"

#include "core/platform/own_file.h"
#include "core/platform/runtime_error.h"
#include "core/platform/utf8.h"

#include <charconv>
#include <string>
#include <system_error>

namespace tessaron {
namespace {

constexpr std::string_view kGroup = "[newPuzzle]";
constexpr std::string_view kBytesStart = "@ByteArray(";

bool isBlank(char32_t c) { return c == ' ' || c == '\t'; }

int hexValue(char32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

// The characters of a line: UTF-8 where it is, and each byte that is not as the
// character of that number, which is how a byte array's bytes come back.
std::u32string charactersOf(std::string_view bytes)
{
    std::u32string characters;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t code = 0;
        const std::size_t length = decodeUtf8(bytes, i, code);
        characters += length > 0 ? code : static_cast<unsigned char>(bytes[i]);
        i += length > 0 ? length : 1;
    }
    return characters;
}

std::string utf8Of(std::u32string_view characters)
{
    std::string bytes;
    for (const char32_t c : characters)
        appendUtf8(bytes, c);
    return bytes;
}

// A value as the INI text spells it: blanks around it dropped, double quotes kept
// together, backslash escapes (\n, \x41 with as many hex digits as follow, \101 in
// octal) and a semicolon starting a comment. A comma outside quotes makes a list, which
// none of the choice's values is.
std::optional<std::u32string> unescaped(std::u32string_view text)
{
    std::u32string value;
    std::size_t keptEnd = 0;  // blanks at the end are dropped unless quoted or escaped
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == '"') {
            quoted = !quoted;
            keptEnd = value.size();
        } else if (!quoted && c == ';') {
            break;
        } else if (!quoted && c == ',') {
            return std::nullopt;
        } else if (c == '\\' && i + 1 < text.size()) {
            const char32_t e = text[++i];
            char32_t code = e;
            if (e == 'x') {
                code = 0;
                for (int digit; i + 1 < text.size() && (digit = hexValue(text[i + 1])) >= 0 && code <= 0x10FFFF; ++i)
                    code = code * 16 + static_cast<char32_t>(digit);
            } else if (e >= '0' && e <= '7') {
                code = e - '0';
                for (; i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7' && code <= 0x10FFFF; ++i)
                    code = code * 8 + (text[i + 1] - '0');
            } else {
                const std::u32string_view from = U"abfnrtv", to = U"\a\b\f\n\r\t\v";
                if (const std::size_t at = from.find(e); at != std::u32string_view::npos)
                    code = to[at];
            }
            value += code;
            keptEnd = value.size();
        } else if (value.empty() && !quoted && isBlank(c)) {
            continue;
        } else {
            value += c;
            if (quoted || !isBlank(c))
                keptEnd = value.size();
        }
    }
    value.resize(keptEnd);
    return value;
}

// The bytes a value holds: a byte array's own, a text's UTF-8. Values of other types
// ("@Variant(…)", "@Invalid()") hold nothing the choice keeps.
std::optional<std::string> bytesOf(std::u32string_view text)
{
    const std::optional<std::u32string> value = unescaped(text);
    if (!value)
        return std::nullopt;
    const std::u32string_view v = *value;
    if (v.starts_with(U"@@"))
        return utf8Of(v.substr(1));
    if (v.starts_with(U"@ByteArray(") && v.ends_with(U")")) {
        std::string bytes;
        for (const char32_t c : v.substr(kBytesStart.size(), v.size() - kBytesStart.size() - 1)) {
            if (c > 0xFF)
                return std::nullopt;
            bytes += static_cast<char>(c);
        }
        return bytes;
    }
    if (v.starts_with(U"@"))
        return std::nullopt;
    return utf8Of(v);
}

std::optional<int> numberOf(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return std::nullopt;
    const char* first = text->data() + (text->front() == '+' ? 1 : 0);
    const char* last = text->data() + text->size();
    int number = 0;
    const auto [end, error] = std::from_chars(first, last, number);
    return error == std::errc() && end == last && first != last ? std::optional(number) : std::nullopt;
}

std::optional<bool> flagOf(const std::optional<std::string>& text)
{
    if (text == "true" || text == "false")
        return text == "true";
    return std::nullopt;
}

// A byte array in a form every reader of the format takes back byte for byte: plain
// ASCII, and every other byte as \xHH; a hex digit right after such an escape is escaped
// too, because a reader takes as many hex digits as follow.
std::string byteArrayText(std::string_view bytes)
{
    std::string text(kBytesStart);
    bool afterEscape = false;
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        const bool special = byte < 0x20 || byte >= 0x7F || b == '\\' || b == '"' || b == ';' || b == ',';
        if (special || (afterEscape && hexValue(byte) >= 0)) {
            constexpr char digits[] = "0123456789abcdef";
            text += "\\x";
            text += digits[byte >> 4];
            text += digits[byte & 0xF];
            afterEscape = true;
        } else {
            text += b;
            afterEscape = false;
        }
    }
    return text + ")";
}

}  // namespace

RememberedChoice RememberedChoice::fromText(std::string_view text)
{
    RememberedChoice choice;
    bool inGroup = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::u32string characters = charactersOf(line);
        const std::u32string_view l = characters;
        const std::size_t start = l.find_first_not_of(U" \t");
        if (start == std::u32string_view::npos || l[start] == ';' || l[start] == '#')
            continue;
        if (l[start] == '[') {
            inGroup = line.substr(start).starts_with(kGroup);
            continue;
        }
        const std::size_t equals = l.find('=');
        if (!inGroup || equals == std::u32string_view::npos)
            continue;
        const std::u32string_view key = l.substr(start, l.find_last_not_of(U" \t", equals - 1) + 1 - start);
        const std::optional<std::string> value = bytesOf(l.substr(equals + 1));
        if (key == U"folder") {
            choice.folder.clear();
            if (value && value->starts_with('/') && value->find('\0') == std::string::npos)
                choice.folder = *value;
        } else if (key == U"picture") {
            // Only a name in that folder: no separator, and no way up or nowhere.
            choice.picture.clear();
            if (value && !value->empty() && value->find_first_of(std::string_view("/\0", 2)) == std::string::npos
                && value != "." && value != "..")
                choice.picture = *value;
        } else if (key == U"columns") {
            choice.columns = numberOf(value);
        } else if (key == U"rows") {
            choice.rows = numberOf(value);
        } else if (key == U"difficult") {
            // Kept as a flag, as it always was.
            const std::optional<bool> sliding = flagOf(value);
            choice.style = sliding ? std::optional(*sliding ? PuzzleStyle::Difficult : PuzzleStyle::Normal) : std::nullopt;
        } else if (key == U"preview") {
            choice.preview = flagOf(value);
        } else if (key == U"fitToScreen") {
            choice.fitToScreen = flagOf(value);
        }
    }
    return choice;
}

std::string RememberedChoice::toText() const
{
    std::string text = std::string(kGroup) + "\n";
    const auto put = [&text](std::string_view key, const auto& value) {
        if (!value)
            return;
        text += key;
        text += '=';
        if constexpr (std::is_same_v<std::decay_t<decltype(*value)>, bool>)
            text += *value ? "true" : "false";
        else
            text += std::to_string(*value);
        text += '\n';
    };
    // In the order QSettings keeps them, so that a file rewritten by either reads alike.
    put("columns", columns);
    put("difficult", style ? std::optional(*style == PuzzleStyle::Difficult) : std::nullopt);
    put("fitToScreen", fitToScreen);
    text += "folder=" + byteArrayText(folder) + "\n";
    text += "picture=" + byteArrayText(picture) + "\n";
    put("preview", preview);
    put("rows", rows);
    return text;
}

RememberedChoice RememberedChoice::load(const std::filesystem::path& file)
{
    try {
        std::string text = readOwnFile(file, kRememberedChoiceReadLimit);
        // A file cut at the limit ends in the middle of a line, which could read as a
        // shorter value than it holds.
        if (text.size() == kRememberedChoiceReadLimit)
            text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
        return fromText(text);
    } catch (const RuntimeError&) {
        return {};
    }
}

void RememberedChoice::save(const std::filesystem::path& file) const
{
    try {
        std::error_code ignored;
        std::filesystem::create_directories(file.parent_path(), ignored);
        writeOwnFile(file, toText());
    } catch (const RuntimeError&) {
        // Only the memory of the choice is lost; the game goes on as chosen.
    }
}

}  // namespace tessaron
