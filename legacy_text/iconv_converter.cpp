#include "legacy_text/iconv_converter.h"

#include <cerrno>

namespace legacy_text {
namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
constexpr size_t kFailed = static_cast<size_t>(-1);

} // namespace

IconvConverter::IconvConverter(const char* to, const char* from)
    : descriptor_(iconv_open(to, from)) {}

IconvConverter::~IconvConverter() {
    if (valid())
        iconv_close(descriptor_);
}

bool IconvConverter::valid() const {
    return descriptor_ != kInvalid;
}

std::optional<std::string> IconvConverter::whole(std::string_view text) {
    if (!valid())
        return std::nullopt;
    std::string in(text);
    std::string out(4 * in.size() + 8, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    size_t done = iconv(descriptor_, &inPtr, &inLeft, &outPtr, &outLeft);
    if (done != kFailed)
        done = iconv(descriptor_, nullptr, nullptr, &outPtr, &outLeft);
    if (done == kFailed)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::optional<std::string> IconvConverter::character(std::string_view text) {
    if (valid())
        iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    return whole(text);
}

std::string IconvConverter::readable(std::string_view text) {
    if (!valid())
        return std::string(text);
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    std::string in(text);
    std::string out(4 * in.size() + 8, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    size_t used = 0;
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        size_t outLeft = out.size() - used;
        const size_t done = iconv(descriptor_, &inPtr, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (done != kFailed)
            break;
        if (errno == E2BIG) {
            out.resize(2 * out.size());
            continue;
        }
        // EILSEQ or a cut sequence at the end (EINVAL): one byte becomes a replacement.
        out.replace(used, 3, "\xEF\xBF\xBD");
        used += 3;
        ++inPtr;
        --inLeft;
        if (out.size() - used < 16)
            out.resize(2 * out.size());
    }
    out.resize(used);
    return out;
}

} // namespace legacy_text
