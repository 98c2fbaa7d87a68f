#include "fake_vbmp3.h"

#include <cstring>

namespace fake {

namespace {
Engine& instance() {
    static Engine e;
    return e;
}

void log(std::string name, const std::string& args = {}) {
    instance().calls.push_back(std::move(name) + "(" + args + ")");
}

std::string pair(int32_t a, int32_t b) {
    return std::to_string(a) + "," + std::to_string(b);
}
} // namespace

Engine& engine() {
    return instance();
}
void reset() {
    instance() = Engine{};
}

std::vector<std::string> Engine::callsNamed(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& c : calls)
        if (c.rfind(prefix, 0) == 0)
            out.push_back(c);
    return out;
}

std::vector<std::string> Engine::callsWithoutPolls() const {
    std::vector<std::string> out;
    bool afterState = false;
    for (const auto& c : calls) {
        const bool state = c.rfind("vbmp3_getState", 0) == 0;
        const bool poll = state || c.rfind("vbmp3_getVolume", 0) == 0 ||
                          (afterState && c.rfind("vbmp3_getMpegInfo", 0) == 0);
        if (!poll)
            out.push_back(c);
        afterState = state;
    }
    return out;
}

} // namespace fake

using fake::instance;

extern "C" {

int32_t vbmp3_init(void) {
    fake::log("vbmp3_init");
    return 1;
}
int32_t vbmp3_free(void) {
    fake::log("vbmp3_free");
    return 1;
}
int32_t vbmp3_open(const char* fileName, vbmp3_InputInfo* info) {
    auto& e = instance();
    std::string path = fileName ? fileName : "";
    fake::log("vbmp3_open", path);
    if (e.writeInputInfo && info)
        std::memcpy(info, &e.inputInfo, sizeof *info);
    return e.openResultFor ? e.openResultFor(path) : e.openResult;
}
int32_t vbmp3_close(void) {
    fake::log("vbmp3_close");
    return 1;
}
int32_t vbmp3_getFileTagInfo(const char* fileName, vbmp3_TagInfo* tag) {
    auto& e = instance();
    fake::log("vbmp3_getFileTagInfo", fileName ? fileName : "");
    if (e.writeTagInfo && tag)
        std::memcpy(tag, &e.tagInfo, sizeof *tag);
    return e.tagResult;
}
int32_t vbmp3_getFilePicture(const char* fileName, void* buffer, int32_t size,
                             int32_t* pictureSize) {
    auto& e = instance();
    fake::log("vbmp3_getFilePicture",
              (fileName ? fileName : "") + std::string(",") + std::to_string(size));
    *pictureSize = static_cast<int32_t>(e.picture.size());
    if (buffer && e.picture.size() <= static_cast<size_t>(size))
        std::memcpy(buffer, e.picture.data(), e.picture.size());
    const int32_t result = e.picture.empty() ? 0 : 1;
    if (e.afterPicture)
        e.afterPicture();
    return result;
}
int32_t vbmp3_getMpegInfo(vbmp3_MpegInfo* mpeg) {
    auto& e = instance();
    fake::log("vbmp3_getMpegInfo");
    if (e.mpegResult && mpeg)
        *mpeg = e.mpegInfo;
    return e.mpegResult;
}
int32_t vbmp3_play(void) {
    fake::log("vbmp3_play");
    return 1;
}
int32_t vbmp3_pause(void) {
    fake::log("vbmp3_pause");
    return 1;
}
int32_t vbmp3_restart(void) {
    fake::log("vbmp3_restart");
    return 1;
}
int32_t vbmp3_stop(void) {
    fake::log("vbmp3_stop");
    return 1;
}
int32_t vbmp3_seek(int32_t seconds) {
    fake::log("vbmp3_seek", std::to_string(seconds));
    return 1;
}
int32_t vbmp3_setVolume(int32_t volume1, int32_t volume2) {
    fake::log("vbmp3_setVolume", fake::pair(volume1, volume2));
    instance().volume1 = volume1;
    instance().volume2 = volume2;
    return 1;
}
int32_t vbmp3_getVolume(int32_t* volume1, int32_t* volume2) {
    fake::log("vbmp3_getVolume");
    *volume1 = instance().volume1;
    *volume2 = instance().volume2;
    return 1;
}
int32_t vbmp3_getState(int32_t* seconds) {
    auto& e = instance();
    fake::log("vbmp3_getState");
    if (e.writeSeconds && seconds)
        *seconds = e.seconds;
    return e.state;
}
int32_t vbmp3_getWave(int32_t* first, int32_t* second) {
    auto& e = instance();
    fake::log("vbmp3_getWave");
    std::memcpy(first, e.wave1.data(), sizeof e.wave1);
    std::memcpy(second, e.wave2.data(), sizeof e.wave2);
    return 1;
}
int32_t vbmp3_getSpectrum(int32_t* first, int32_t* second) {
    auto& e = instance();
    fake::log("vbmp3_getSpectrum");
    std::memcpy(first, e.spectrum1.data(), sizeof e.spectrum1);
    std::memcpy(second, e.spectrum2.data(), sizeof e.spectrum2);
    return 1;
}

} // extern "C"
