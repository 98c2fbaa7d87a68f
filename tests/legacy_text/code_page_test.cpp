#include "legacy_text/code_page.h"
#include "legacy_text/eight_bit.h"
#include "legacy_text/locale_code_page.h"
#include "legacy_text/utf8.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

#include "fixtures/real_world.h"

using fixtures::inCodePage;

namespace {

// The user's language as the environment gives it; restored afterwards.
class UserLocale {
public:
    explicit UserLocale(const char* locale) {
        if (const char* old = std::getenv("LC_ALL"))
            old_ = old;
        setenv("LC_ALL", locale, 1);
    }
    ~UserLocale() {
        if (old_)
            setenv("LC_ALL", old_->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }
    UserLocale(const UserLocale&) = delete;
    UserLocale& operator=(const UserLocale&) = delete;

private:
    std::optional<std::string> old_;
};

std::string decidedUnder(const char* locale, const std::string& bytes) {
    UserLocale user(locale);
    return legacy_text::decideCodePage(bytes);
}

TEST(Utf8, TellsWellFormedSequencesFromStrayOverlongSurrogateAndCutOnes) {
    EXPECT_TRUE(legacy_text::isUtf8("plain ASCII"));
    EXPECT_TRUE(legacy_text::isUtf8("山田 Björk \xF0\x9D\x84\x9E"));
    for (const char* bad : {"Bj\xF6rk", "\xC0\xAF", "\xED\xA0\x80", "\xE6\x9B", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(legacy_text::isUtf8(bad)) << bad;
    EXPECT_EQ(legacy_text::utf8SequenceAt("a曲", 1), 3u);
    EXPECT_EQ(legacy_text::utf8SequenceAt("a\xE6\x9B", 1), 0u);
}

TEST(LocaleCodePage, WindowsCodePageOfEachLanguage) {
    const std::pair<const char*, const char*> cases[] = {
        {"ja_JP.UTF-8", "CP932"},  {"ko_KR.UTF-8", "CP949"},
        {"zh_CN.UTF-8", "CP936"},  {"zh_SG", "CP936"},
        {"zh_TW.UTF-8", "CP950"},  {"zh_HK.UTF-8", "CP950"},
        {"ru_RU.UTF-8", "CP1251"}, {"sr_RS@latin", "CP1251"},
        {"uk_UA", "CP1251"},       {"el_GR.UTF-8", "CP1253"},
        {"tr_TR.UTF-8", "CP1254"}, {"he_IL", "CP1255"},
        {"fa_IR", "CP1256"},       {"lt_LT.UTF-8", "CP1257"},
        {"vi_VN", "CP1258"},       {"th_TH.UTF-8", "CP874"},
        {"pl_PL.UTF-8", "CP1250"}, {"cs_CZ", "CP1250"},
        {"de_DE.UTF-8", "CP1252"}, {"C", "CP1252"},
        {"POSIX", "CP1252"},       {"", "CP1252"}};
    for (const auto& [locale, codePage] : cases)
        EXPECT_EQ(legacy_text::windowsCodePageOf(locale), codePage) << locale;
}

TEST(LocaleCodePage, UserLocaleComesFromLcAllThenLcCtypeThenLang) {
    UserLocale none("");
    setenv("LC_CTYPE", "ko_KR.UTF-8", 1);
    setenv("LANG", "ru_RU.UTF-8", 1);
    EXPECT_EQ(legacy_text::userWindowsCodePage(), "CP949");
    unsetenv("LC_CTYPE");
    EXPECT_EQ(legacy_text::userWindowsCodePage(), "CP1251");
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
    EXPECT_EQ(legacy_text::userWindowsCodePage(), "CP932");
    unsetenv("LANG");
}

TEST(DecideCodePage, ShortTextTakesTheUserLanguagesCodePage) {
    const std::string hanako = inCodePage("花子", "CP932"); // 4 bytes
    EXPECT_EQ(decidedUnder("ja_JP.UTF-8", hanako), "CP932");
    EXPECT_NE(decidedUnder("en_US.UTF-8", hanako), "CP932");
    EXPECT_EQ(decidedUnder("ru_RU.UTF-8", inCodePage("Кино", "CP1251")), "CP1251");
    EXPECT_EQ(decidedUnder("ko_KR.UTF-8", inCodePage("아이유", "CP949")), "CP949");
    EXPECT_EQ(decidedUnder("zh_TW.UTF-8", inCodePage("鄧麗君", "CP950")), "CP950");
}

TEST(DecideCodePage, NeverACodePageInWhichTheBytesAreInvalidOrNonsense) {
    // Invalid in CP932 (é before a blank); Cyrillic inside Latin words in CP1251.
    for (const char* locale : {"ja_JP.UTF-8", "ru_RU.UTF-8", "C"}) {
        EXPECT_EQ(decidedUnder(locale, inCodePage("Café Señor", "CP1252")), "CP1252") << locale;
        EXPECT_EQ(decidedUnder(locale, inCodePage("Björk", "CP1252")), "CP1252") << locale;
    }
    // No Windows code page holds 0x81 0x8D alone; ISO-8859-1 reads every byte.
    EXPECT_EQ(decidedUnder("en_US.UTF-8", "\x81\x8D"), "ISO-8859-1");
}

TEST(DecideCodePage, EnoughTextIsDetectedWhateverTheLocale) {
    const std::pair<const char*, const char*> texts[] = {
        {"夜明けのスキャット 山田太郎", "CP932"},
        {"Группа крови Звезда по имени Солнце", "CP1251"},
        {"좋은 날 아이유 리얼", "CP949"},
        {"月亮代表我的心 鄧麗君", "CP950"}};
    for (const auto& [text, codePage] : texts)
        for (const char* locale : {"en_US.UTF-8", "ja_JP.UTF-8", "C"})
            EXPECT_EQ(decidedUnder(locale, inCodePage(text, codePage)), codePage)
                << text << " under " << locale;
}

TEST(DecideCodePage, DoubleByteCharactersCountTwoBytesOfEvidence) {
    const std::pair<const char*, size_t> cases[] = {{"\x82\xA0"
                                                     "A",
                                                     2},
                                                    {"\x82\xA0\x82\xA2", 4},
                                                    {"\x82"
                                                     "A",
                                                     2},
                                                    {"\xE9", 1},
                                                    {"abc", 0}};
    for (const auto& [bytes, count] : cases)
        EXPECT_EQ(legacy_text::nonAsciiBytes(bytes), count) << bytes;
}

TEST(DecodeTogether, OneDecisionForAllLegacyFieldsUtf8FieldsUntouched) {
    UserLocale user("en_US.UTF-8");
    // The artist alone (8 bytes) reads as CP1252; with the title the file holds enough CP932.
    std::string title = inCodePage("夜明けのスキャット", "CP932");
    std::string artist = inCodePage("山田太郎", "CP932");
    std::string utf8 = "Björk";
    std::string ascii = "1999";
    legacy_text::decodeTogether({&title, &artist, &utf8, &ascii});
    EXPECT_EQ(title, "夜明けのスキャット");
    EXPECT_EQ(artist, "山田太郎");
    EXPECT_EQ(utf8, "Björk");
    EXPECT_EQ(ascii, "1999");
    EXPECT_EQ(legacy_text::decodeAlone(inCodePage("été.wav", "ISO-8859-1")), "été.wav");
}

// One file's legacy fields, decoded together as the tag readers do.
std::vector<std::string> decodedUnder(const char* locale, const std::vector<std::string>& utf8,
                                      const char* codePage) {
    UserLocale user(locale);
    std::vector<std::string> fields;
    for (const std::string& text : utf8)
        fields.push_back(inCodePage(text, codePage));
    std::vector<std::string*> pointers;
    for (std::string& field : fields)
        pointers.push_back(&field);
    legacy_text::decodeTogether(pointers);
    return fields;
}

TEST(DecodeTogether, EachFileReadsRightUnderEachLocale) {
    struct Case {
        std::vector<std::string> fields;
        const char* codePage;
        std::vector<const char*> locales;
    };
    const Case cases[] = {
        // Western titles in ID3v2 frames marked ISO-8859-1: a kanji inside a Latin word is no
        // Japanese writing.
        {{"Les Misérables", "Orchestre Symphonique de Québec"},
         "ISO-8859-1",
         {"ja_JP.UTF-8", "en_US.UTF-8"}},
        {{"Les Misérables"}, "ISO-8859-1", {"ja_JP.UTF-8"}},
        {{"RÉSUMÉ"}, "ISO-8859-1", {"ja_JP.UTF-8"}},
        // ... while Latin words around kana stay Japanese.
        {{"GLAYのBEST", "ラルクアンシエル"}, "CP932", {"ja_JP.UTF-8"}},
        // All-caps CP1251, which uchardet takes for KOI8-R, and all-caps KOI8-R, the other way.
        {{"ГРУППА КРОВИ", "КИНО", "ЗВЕЗДА ПО ИМЕНИ СОЛНЦЕ"},
         "CP1251",
         {"ru_RU.UTF-8", "en_US.UTF-8", "ja_JP.UTF-8"}},
        {{"Группа крови", "Кино", "Звезда по имени Солнце"},
         "KOI8-R",
         {"ru_RU.UTF-8", "en_US.UTF-8"}},
        // Long Shift_JIS with Windows' extensions (circled numbers, Roman numerals, NEC-selected
        // kanji) and half-width katakana: never ISO-8859-1 and its C1 controls.
        {{"交響曲第９番 ニ短調 作品125 「合唱付き」 第４楽章", "ベルリン・フィルハーモニー管弦楽団",
          "①序曲 ②行進曲 Ⅲ 髙橋 﨑 ㈱ｻﾝﾌﾟﾙ ﾚｺｰﾄﾞ"},
         "CP932",
         {"en_US.UTF-8", "ja_JP.UTF-8", "C"}},
    };
    for (const Case& c : cases)
        for (const char* locale : c.locales)
            EXPECT_EQ(decodedUnder(locale, c.fields, c.codePage), c.fields)
                << c.fields.front() << " in " << c.codePage << " under " << locale;
}

// Titles as taggers of each language wrote them, read under that language's locale or under
// en_US: Latin words beside Chinese characters, Bulgarian and Russian beside Latin words, and
// Central European and Turkish titles that CP1252 reads cleanly but as no language writes.
TEST(DecodeTogether, TitlesOfEachLanguageReadRight) {
    struct Case {
        const char* title;
        const char* codePage;
        const char* locale;
    };
    const Case cases[] = {
        // One Chinese character between two Latin words is no CP932 misreading of Latin-1.
        {"Sony与Ericsson分手", "CP936", "zh_CN.UTF-8"},
        {"IBM和Lenovo合作", "CP936", "zh_CN.UTF-8"},
        {"DVD版Blu-ray", "CP932", "ja_JP.UTF-8"},
        {"X線CT", "CP932", "ja_JP.UTF-8"},
        // Short CP1251 reads cleanly as KOI8-R too; only clearly likelier letters overrule the
        // user's own code page.
        {"Сладки сънища", "CP1251", "bg_BG.UTF-8"},
        {"Той се върна с Metallica", "CP1251", "bg_BG.UTF-8"},
        {"Сбогом Destiny's Child", "CP1251", "bg_BG.UTF-8"},
        {"песни для всех", "CP1251", "ru_RU.UTF-8"},
        {"ветер перемен", "CP1251", "ru_RU.UTF-8"},
        {"Группа крови", "KOI8-R", "ru_RU.UTF-8"},
        {"Hořící keř", "CP1250", "en_US.UTF-8"},
        {"Tűzön át", "CP1250", "en_US.UTF-8"},
        {"Mężczyzna", "CP1250", "en_US.UTF-8"},
        {"Ayrılık Günü", "CP1254", "en_US.UTF-8"},
        {"Tarkan Şımarık", "CP1254", "en_US.UTF-8"},
        {"Người lạ ơi", "CP1258", "vi_VN.UTF-8"},
        {"Kuzu kuzu", "CP1254", "tr_TR.UTF-8"},
        // ... while Western titles stay CP1252, also those of two languages.
        {"Mañana será otro día", "CP1252", "en_US.UTF-8"},
        {"Ágætis byrjun", "CP1252", "en_US.UTF-8"},
        {"Smörgåsbord Café", "CP1252", "cs_CZ.UTF-8"},
        {"Mañana será otro día", "CP1252", "pl_PL.UTF-8"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodedUnder(c.locale, {c.title}, c.codePage).front(), c.title)
            << c.codePage << " under " << c.locale;
}

TEST(DecodeTogether, WholeFilesOfCentralEuropeanAndCyrillicTagsReadRight) {
    struct Case {
        std::vector<std::string> fields;
        const char* codePage;
        const char* locale;
    };
    const Case cases[] = {
        // Enough text for uchardet: the user's CP1252 reads it cleanly, but as no language.
        {{"Hořící keř a žluťoučký kůň", "Úpěl ďábelské ódy"}, "CP1250", "en_US.UTF-8"},
        {{"Gülüm benim", "Ayrılık şarkısı", "Şımarık günler"}, "CP1254", "en_US.UTF-8"},
        // Small KOI8-R reads as capitals in CP1251: the user's own page gives way to clearly
        // likelier letters only.
        {{"песни о главном", "ветер перемен и новые звезды"}, "KOI8-R", "ru_RU.UTF-8"},
        {{"Нова година", "Обичам те", "Сладки сънища"}, "CP1251", "bg_BG.UTF-8"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodedUnder(c.locale, c.fields, c.codePage), c.fields)
            << c.fields.front() << " in " << c.codePage << " under " << c.locale;
}

} // namespace

namespace {

TEST(EightBit, OneWriterForEverySlotWholeCharactersOnly) {
    struct Case {
        const char* utf8;
        const char* codeset;
        std::string slot;
    };
    const Case cases[] = {
        {"曲曲曲", "UTF-8", std::string("曲曲\0", 7)},
        {"あいう", "CP932", std::string("\x82\xA0\x82\xA2\0", 5)},
        {"Кино €", "CP1251", std::string("\xCA\xE8\xED\xEE \x88\0\0", 8)},
        {"a曲b", "ISO-8859-1", std::string("a?b\0", 4)}, // what the page cannot hold
        {"ab\xE6\x9B"
         "c",
         "UTF-8", std::string("abc\0", 4)}, // no UTF-8: left out
        {"a\U0001D11E", "UTF-8", std::string("a\0\0\0", 4)}};
    for (const Case& c : cases) {
        std::string slot(c.slot.size() + 1, '#');
        legacy_text::toSlot(c.utf8, c.codeset, slot.data(), c.slot.size());
        EXPECT_EQ(slot, c.slot + '#') << c.utf8 << " in " << c.codeset;
        EXPECT_EQ(legacy_text::fromSlot(c.slot, c.codeset).size(), c.slot.size());
    }
    const std::string name = "caf\xE9 \xE6\x9B\xB2";
    EXPECT_EQ(legacy_text::toEightBit(legacy_text::fromEightBit(name, "UTF-8"), "UTF-8"), name);
    EXPECT_EQ(legacy_text::fromEightBit("\x82\xA0\xFF", "CP932"), u"あ\uFFFD");
}

} // namespace
