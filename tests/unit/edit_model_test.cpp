// The stand-in's text box, checked on its own: the reader's tests trust it to act as a typist
// would see the real control act.
#include "edit_model.h"

#include <gtest/gtest.h>

namespace {

struct Typed {
    const char* name;
    std::string keys;
    std::string text;
    size_t caret;
};

class EditModelTyping : public ::testing::TestWithParam<Typed> {};

TEST_P(EditModelTyping, ActsAsTheKeyWould)
{
    EditModel box;
    std::string clipboard;
    for (unsigned char key : GetParam().keys)
        box.Char(key, clipboard);
    EXPECT_EQ(box.Text(), GetParam().text);
    EXPECT_EQ(box.SelStart(), GetParam().caret);
    EXPECT_EQ(box.SelEnd(), GetParam().caret);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EditModelTyping,
    ::testing::Values(Typed{"plain", "abc", "abc", 3}, Typed{"backspace", "ab\bc", "ac", 2},
                      Typed{"backspace_at_start", "\ba", "a", 1},
                      Typed{"carriage_return", "a\rb", "a\r\nb", 4},
                      Typed{"line_feed", "a\nb", "a\r\nb", 4},
                      Typed{"backspace_joins_lines", "a\r\b", "a", 1},
                      Typed{"tab", "a\tb", "a\tb", 3},
                      Typed{"zero_and_bell_show_nothing", std::string("a\0\x07\x7F", 4), "a", 1},
                      Typed{"shift_jis_pair", "\x82\xA0", "\x82\xA0", 2},
                      Typed{"backspace_removes_whole_pair", "x\x82\xA0\b", "x", 1},
                      Typed{"half_width_katakana", "\xB1\xDF", "\xB1\xDF", 2}),
    [](const ::testing::TestParamInfo<Typed>& info) { return info.param.name; });

TEST(EditModel, EditingCommandsTouchClipboardAndText)
{
    EditModel box;
    std::string clipboard = "clip";
    for (unsigned char key : std::string("hello"))
        box.Char(key, clipboard);
    box.SetSel(0, 2);
    box.Char(0x03, clipboard);
    EXPECT_EQ(clipboard, "he");
    box.Char(0x18, clipboard);
    EXPECT_EQ(box.Text(), "llo");
    box.Char(0x16, clipboard);
    EXPECT_EQ(box.Text(), "hello");
    box.Char(0x1A, clipboard);
    EXPECT_EQ(box.Text(), "llo");
    box.Char(0x01, clipboard);
    EXPECT_EQ(box.SelEnd() - box.SelStart(), 3u);
}

TEST(EditModel, RefusesTextPastItsLimitUntilRaised)
{
    EditModel box;
    std::string clipboard;
    for (size_t i = 0; i < EditModel::kDefaultLimit + 10; i++)
        box.Char('x', clipboard);
    EXPECT_EQ(box.Characters(), EditModel::kDefaultLimit);
    box.SetLimit(0);
    box.Char('y', clipboard);
    EXPECT_EQ(box.Characters(), EditModel::kDefaultLimit + 1);
}

TEST(EditModel, TypingReplacesTheSelection)
{
    EditModel box;
    std::string clipboard;
    box.SetText("abcdef");
    box.SetSel(2, 4);
    box.Char('X', clipboard);
    EXPECT_EQ(box.Text(), "abXef");
    EXPECT_EQ(box.SelStart(), 3u);
}

} // namespace
