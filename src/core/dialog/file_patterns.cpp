#include "core/dialog/file_patterns.h"

#include <algorithm>

namespace tessaron {
namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = lower(c);
    return result;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool isMatchAll(std::string_view pattern)
{
    return pattern == "*" || pattern == "*.*";
}

// Wildcard matching with one remembered star: linear in practice, and never the
// exponential backtracking of a naive recursive matcher on "*a*a*a*b".
bool globMatch(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The common case of the picture filter, "*.ext", as a plain suffix test.
bool suffixMatch(std::string_view suffix, std::string_view name)
{
    if (name.size() < suffix.size())
        return false;
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (lower(tail[i]) != suffix[i])
            return false;
    }
    return true;
}

bool matchesLowered(std::string_view pattern, std::string_view name)
{
    if (isMatchAll(pattern))
        return true;
    if (pattern.size() > 1 && pattern[0] == '*'
        && pattern.find_first_of("*?", 1) == std::string_view::npos)
        return suffixMatch(pattern.substr(1), name);
    return globMatch(pattern, name);
}

// Case-insensitive three-way comparison; bytes beyond ASCII compare as unsigned, so
// accented names sort after the plain letters.
int compareFolded(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(lower(a[i]));
        const auto y = static_cast<unsigned char>(lower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

FilePatterns::FilePatterns() : FilePatterns("*.*") {}

FilePatterns::FilePatterns(std::string_view list) : text_(list)
{
    while (true) {
        const std::size_t end = list.find(';');
        const std::string_view one = trimmed(list.substr(0, end));
        if (!one.empty()) {
            patterns_.push_back(lowered(one));
            matchAll_ = matchAll_ || isMatchAll(one);
        }
        if (end == std::string_view::npos)
            break;
        list.remove_prefix(end + 1);
    }
}

bool FilePatterns::matches(std::string_view name) const
{
    if (matchAll_)
        return true;
    return std::any_of(patterns_.begin(), patterns_.end(),
        [name](const std::string& pattern) { return matchesLowered(pattern, name); });
}

bool matchesPattern(std::string_view pattern, std::string_view name)
{
    return matchesLowered(lowered(trimmed(pattern)), name);
}

std::vector<std::string> matchingSorted(std::vector<std::string> names, const FilePatterns& patterns)
{
    std::erase_if(names, [&patterns](const std::string& name) { return !patterns.matches(name); });
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int folded = compareFolded(a, b);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

}  // namespace tessaron
