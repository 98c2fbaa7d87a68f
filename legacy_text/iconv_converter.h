// One iconv conversion descriptor, from one code page into another.
#pragma once

#include <iconv.h>
#include <optional>
#include <string>
#include <string_view>

namespace legacy_text {

class IconvConverter {
public:
    IconvConverter(const char* to, const char* from);
    ~IconvConverter();
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // False where iconv knows either code page not.
    bool valid() const;
    // All of text; nothing where it is invalid in `from` or does not fit `to`.
    std::optional<std::string> whole(std::string_view text);
    // One character alone, from a fresh state.
    std::optional<std::string> character(std::string_view text);
    // All of text into UTF-8 (`to`), each byte that is invalid or cut read as U+FFFD; the text
    // as it stands where this converter is not valid.
    std::string readable(std::string_view text);

private:
    iconv_t descriptor_;
};

} // namespace legacy_text
