#include "tag_files.h"

#include "decoders/source.h"
#include "fixtures/audio_writer.h"
#include "fixtures/encoded_writer.h"
#include "fixtures/id3v2_writer.h"
#include "legacy_text/code_page.h"
#include "legacy_text/utf8.h"
#include "tags/tags.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

namespace legacy_text_bench {
namespace {

constexpr size_t kId3v1Field = 30;

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

std::string storedTitle(const std::string& utf8, const std::string& encoding, TagKind kind) {
    if (kind != TagKind::Id3v1)
        return utf8;
    std::string fits;
    for (size_t at = 0; at < utf8.size();) {
        const size_t next = at + std::max<size_t>(1, legacy_text::utf8SequenceAt(utf8, at));
        const std::optional<std::string> bytes =
            legacy_text::convert(utf8.substr(0, next), "UTF-8", encoding.c_str());
        if (!bytes || bytes->size() > kId3v1Field)
            break;
        fits = utf8.substr(0, next);
        at = next;
    }
    return fits.substr(0, fits.find_last_not_of(' ') + 1);
}

TagFiles::TagFiles(const std::filesystem::path& folder) : folder_(folder) {
    const std::string path = (folder_ / "plain.mp3").string();
    fixtures::writeAudio(path, fixtures::silence(0.1), fixtures::Kind::Mp3Cbr);
    fixtures::replaceId3v2(path, "");
    mp3_ = fileBytes(path);
    std::filesystem::remove(path);
}

std::string TagFiles::write(const std::string& name, const std::string& bytes, TagKind kind) const {
    fixtures::TrackTags tags;
    tags.title = bytes;
    const std::string path = (folder_ / name).string();
    if (kind == TagKind::RiffInfo) {
        fixtures::writeAudio(path + ".wav", fixtures::silence(0.01), fixtures::Kind::Wav16, tags);
        return path + ".wav";
    }
    std::ofstream out(path + ".mp3", std::ios::binary | std::ios::trunc);
    if (kind == TagKind::Id3v2Bytes)
        out << fixtures::id3v2Tag(tags, {fixtures::Id3Text::Bytes});
    out << mp3_;
    out.close();
    if (kind == TagKind::Id3v1)
        fixtures::appendId3v1(path + ".mp3", tags);
    if (!out)
        throw std::runtime_error("cannot write " + path + ".mp3");
    return path + ".mp3";
}

std::string readTitle(const std::string& path) {
    vbmp3::Tags tags;
    return vbmp3::readTags(path, tags) ? tags.title : std::string("(unreadable)");
}

} // namespace legacy_text_bench
