// Which stretches of the player's texts a reader should speak with a Japanese voice.
#include "platform/text_language.h"

#include <gtest/gtest.h>

using platform::languageRunAt;

TEST(TextLanguage, KanaKanjiAndFullWidthFormsAreJapaneseTheRestIsTheReaders) {
    struct Case {
        const char16_t* text;
        int offset;
        int start, end;
        const char* language;
    } const cases[] = {
        {u"現在の状況：停止中", 4, 0, 9, "ja"}, // kanji, hiragana, a full-width colon
        {u"Artist：山田太郎", 0, 0, 6, ""},
        {u"Artist：山田太郎", 6, 6, 11, "ja"},
        {u"ｶﾀｶﾅ and カタカナ", 1, 0, 4, "ja"}, // half-width katakana too
        {u"ｶﾀｶﾅ and カタカナ", 5, 4, 9, ""},
        {u"ｶﾀｶﾅ and カタカナ", 12, 9, 13, "ja"},
        {u"Open Error", 3, 0, 10, ""},
        {u"Лунная соната", 2, 0, 13, ""},
        {u"", 0, 0, 0, ""},
        {u"abc", 3, 3, 3, ""},
        {u"abc", -4, 0, 0, ""},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const platform::LanguageRun run = languageRunAt(text, c.offset);
        EXPECT_EQ(run.start, c.start) << text.toStdString() << " @" << c.offset;
        EXPECT_EQ(run.end, c.end) << text.toStdString() << " @" << c.offset;
        EXPECT_EQ(run.language, c.language) << text.toStdString() << " @" << c.offset;
    }
}
