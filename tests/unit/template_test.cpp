// The compiled dialog template against the layout it is built from: what ships is what we meant.
#include "fixture.h"
#include "res/dlgmain.h"

namespace {

struct ExpectedItem {
    WORD id;
    const char* className;
    const char* text; /* Shift-JIS, from the layout header */
    DWORD style;
    short rect[4];
};

const ExpectedItem kItems[] = {
    {IDC_RECVTEXT, "EDIT", "", RECVTEXT_STYLE, {RECVTEXT_RECT}},
    {IDC_START, "BUTTON", START_TEXT, START_STYLE, {START_RECT}},
    {IDC_CLEAR, "BUTTON", CLEAR_TEXT, CLEAR_STYLE, {CLEAR_RECT}},
    {IDC_EXIT, "BUTTON", EXIT_TEXT, EXIT_STYLE, {EXIT_RECT}},
    {IDC_PORTNAME, "STATIC", "", PORTNAME_STYLE, {PORTNAME_RECT}},
};

std::string Upper(const std::u16string& text)
{
    std::string upper;
    for (char16_t c : text)
        upper.push_back((char)(c >= 'a' && c <= 'z' ? c - 32 : c));
    return upper;
}

TEST(Template, IsAClassicJapaneseDialogAsLaidOut)
{
    const sim::DialogTemplate* t = sim::FindDialog(DLGMAIN_NAME);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->extendedSignature, 0u);
    EXPECT_EQ(t->language, 0x0411);
    EXPECT_EQ(t->style, (DWORD)DLGMAIN_STYLE);
    EXPECT_EQ(t->exStyle, 0u);
    short rect[] = {DLGMAIN_RECT};
    EXPECT_EQ((std::vector<short>{t->x, t->y, t->cx, t->cy}), std::vector<short>(rect, rect + 4));
    EXPECT_TRUE(t->menu.empty());
    EXPECT_TRUE(t->className.empty());
    EXPECT_EQ(sim::ToShiftJis(t->caption), DLGMAIN_CAPTION);
    EXPECT_EQ(t->pointSize, DLGMAIN_FONT_SIZE);
    EXPECT_EQ(sim::ToShiftJis(t->face), UI_FONT_FACE);
    EXPECT_EQ(Utf8(sim::ToShiftJis(t->caption)), u8"充電結果表示");
}

TEST(Template, HoldsTheFiveControlsInTabOrder)
{
    const sim::DialogTemplate* t = sim::FindDialog(DLGMAIN_NAME);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->items.size(), std::size(kItems));
    for (size_t i = 0; i < t->items.size(); i++) {
        const sim::DialogItem& item = t->items[i];
        const ExpectedItem& want = kItems[i];
        SCOPED_TRACE(want.id);
        EXPECT_EQ(item.id, want.id);
        std::string className = item.classOrdinal
                                    ? std::string(item.classOrdinal == 0x80   ? "BUTTON"
                                                  : item.classOrdinal == 0x81 ? "EDIT"
                                                                              : "STATIC")
                                    : Upper(item.className);
        EXPECT_EQ(className, want.className);
        EXPECT_EQ(sim::ToShiftJis(item.text), want.text);
        EXPECT_EQ(item.style, want.style);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ((std::vector<short>{item.x, item.y, item.cx, item.cy}),
                  std::vector<short>(want.rect, want.rect + 4));
    }
}

TEST(Template, ShipsAJapaneseVersionResource) { EXPECT_TRUE(sim::HasResource(16, 0x0411)); }

} // namespace
