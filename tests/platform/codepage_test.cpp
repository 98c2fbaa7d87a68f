#include "platform/codepage.h"

#include <array>
#include <clocale>
#include <gtest/gtest.h>

#include "legacy_text/eight_bit.h"

namespace {

const QString kJapanese = QStringLiteral(u"現在の状況：再生中");

// Shift_JIS as Windows extends it, the legacy code page of Japanese tags: the same converter as
// the locale's character set, by its name.
const std::string kCp932 = "CP932";

QByteArray toCp932(const QString& text) {
    return QByteArray::fromStdString(legacy_text::toEightBit(text.toStdU16String(), kCp932));
}
QString fromCp932(const QByteArray& bytes) {
    return QString::fromStdU16String(legacy_text::fromEightBit(bytes.toStdString(), kCp932));
}
void toCp932Slot(const QString& text, char* slot, size_t n) {
    legacy_text::toSlot(text.toStdString(), kCp932, slot, n);
}
QString fromCp932Slot(const char* slot, size_t n) {
    return QString::fromStdU16String(legacy_text::fromSlot({slot, n}, kCp932));
}

TEST(CodePage, RoundTripsJapaneseInBothCodePages) {
    EXPECT_EQ(platform::fromEightBit(platform::toEightBit(kJapanese)), kJapanese);
    EXPECT_EQ(fromCp932(toCp932(kJapanese)), kJapanese);
    // Two bytes a character in Shift_JIS, three in UTF-8.
    EXPECT_EQ(toCp932(kJapanese).size(), 2 * kJapanese.size());
    EXPECT_EQ(platform::toEightBit(kJapanese).size(), 3 * kJapanese.size());
}

TEST(CodePage, Cp932KnowsItsOwnBytes) {
    // "あ" is 0x82 0xA0 in Shift_JIS.
    EXPECT_EQ(toCp932(QStringLiteral(u"あ")), QByteArray("\x82\xA0"));
}

TEST(CodePage, SlotCutFallsOnCharacterBoundaryAndNeverOverflows) {
    std::array<char, 8> guarded{};
    guarded.fill('#');
    // A slot of 5 bytes holds two Shift_JIS characters (4 bytes), not half of a third.
    toCp932Slot(kJapanese, guarded.data(), 5);
    EXPECT_EQ(QByteArray(guarded.data(), 5), toCp932(kJapanese.left(2)) + '\0');
    EXPECT_EQ(guarded[5], '#');
    // In UTF-8 a slot of 5 holds one three-byte character.
    guarded.fill('#');
    platform::toSlot(kJapanese, guarded.data(), 5);
    EXPECT_EQ(QByteArray(guarded.data(), 5),
              platform::toEightBit(kJapanese.left(1)) + QByteArray(2, '\0'));
    EXPECT_EQ(guarded[5], '#');
}

TEST(CodePage, SurrogatePairIsNeverSplit) {
    const QString clef = QStringLiteral(u"a\U0001D11E");
    std::array<char, 4> slot{};
    platform::toSlot(clef, slot.data(), slot.size());
    EXPECT_EQ(QByteArray(slot.data(), 4), QByteArray("a\0\0\0", 4));
}

TEST(CodePage, SlotComesBackAsExactlyNCharacters) {
    const char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(platform::fromSlot(full, 4), QStringLiteral("abcd"));
    // Two double-byte characters in 4 bytes make 2 characters: padded with NUL to 4.
    QString back = fromCp932Slot("\x82\xA0\x82\xA2", 4);
    EXPECT_EQ(back, QStringLiteral(u"あい") + QString(2, QChar(u'\0')));
}

TEST(CodePage, CutOrInvalidSequencesComeBackWithoutCrashing) {
    // A lead byte with its trail cut off, and bytes that are no UTF-8 at all.
    for (const auto fromSlot : {platform::fromSlot, fromCp932Slot}) {
        QString cut = fromSlot("ab\x82", 3);
        EXPECT_EQ(cut.size(), 3);
        EXPECT_EQ(cut.left(2), QStringLiteral("ab"));
        QString invalid = fromSlot("\xFF\xFE\xC3", 3);
        EXPECT_EQ(invalid.size(), 3);
    }
}

} // namespace

namespace {

TEST(CodePage, NamesThatAreNoUtf8RoundTripByteForByte) {
    const QByteArray bytes("/music/bad\xff name/\x96\xe9\x82\xcc \xe6\x9b\xb2.mp3");
    const QString text = platform::fromEightBit(bytes);
    EXPECT_TRUE(text.endsWith(QStringLiteral(u" 曲.mp3"))) << "UTF-8 parts decode as usual";
    EXPECT_EQ(platform::toEightBit(text), bytes);
    EXPECT_EQ(platform::displayName(platform::fromEightBit("\xe9t\xe9.wav")),
              QStringLiteral(u"été.wav"));
    EXPECT_EQ(platform::displayName(QStringLiteral(u"曲.mp3")), QStringLiteral(u"曲.mp3"));
}

TEST(CodePage, TheCLocaleCountsAsUtf8) {
    std::setlocale(LC_CTYPE, "C");
    const QByteArray bytes = platform::toEightBit(kJapanese);
    const QString back = platform::fromSlot(bytes.constData(), static_cast<size_t>(bytes.size()));
    std::setlocale(LC_CTYPE, "C.UTF-8");
    EXPECT_EQ(bytes, kJapanese.toUtf8());
    EXPECT_TRUE(back.startsWith(kJapanese));
}

} // namespace
