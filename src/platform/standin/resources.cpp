/* The program's compiled resources (.res from the resource compiler), read the way the loader
   would: dialog templates by name, and text conversion between the template's UTF-16 and
   Shift-JIS. */

#include "internal.h"

#include <cstring>
#include <fstream>
#include <iconv.h>
#include <iterator>

#ifndef STANDIN_RESOURCE_FILE
#error "STANDIN_RESOURCE_FILE must name the compiled resources"
#endif

namespace sim {

static const WORD kDialogType = 5;

namespace {

struct Reader {
    const std::vector<unsigned char>& bytes;
    size_t pos;

    bool Has(size_t n) const { return pos + n <= bytes.size(); }
    WORD Word()
    {
        WORD value = Has(2) ? (WORD)(bytes[pos] | bytes[pos + 1] << 8) : 0;
        pos += 2;
        return value;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | (DWORD)Word() << 16;
    }
    std::u16string String()
    {
        std::u16string text;
        for (WORD c = Word(); c != 0 && Has(0); c = Word())
            text.push_back((char16_t)c);
        return text;
    }
    /* A name or class: an ordinal (0xFFFF then a number) or a string. */
    std::u16string NameOrOrdinal(WORD* ordinal)
    {
        *ordinal = 0;
        if (Has(2) && bytes[pos] == 0xFF && bytes[pos + 1] == 0xFF) {
            pos += 2;
            *ordinal = Word();
            return u"";
        }
        return String();
    }
    void AlignDword() { pos = (pos + 3) & ~(size_t)3; }
};

struct Resources {
    std::map<std::string, DialogTemplate> dialogs;
    std::vector<std::pair<WORD, WORD>> typesAndLanguages;
};

DialogTemplate ParseDialog(const std::vector<unsigned char>& bytes, size_t start, WORD language)
{
    Reader r{bytes, start};
    DialogTemplate t{};
    t.language = language;
    t.style = r.Dword();
    t.exStyle = r.Dword();
    if (t.style == 0xFFFF0001u) { /* an extended template: recorded, not read further */
        t.extendedSignature = t.style;
        return t;
    }
    WORD count = r.Word();
    t.x = (short)r.Word();
    t.y = (short)r.Word();
    t.cx = (short)r.Word();
    t.cy = (short)r.Word();
    WORD ordinal;
    t.menu = r.NameOrOrdinal(&ordinal);
    t.className = r.NameOrOrdinal(&ordinal);
    t.caption = r.String();
    if (t.style & 0x40) { /* DS_SETFONT */
        t.pointSize = r.Word();
        t.face = r.String();
    }
    for (WORD i = 0; i < count; i++) {
        r.AlignDword();
        DialogItem item{};
        item.style = r.Dword();
        item.exStyle = r.Dword();
        item.x = (short)r.Word();
        item.y = (short)r.Word();
        item.cx = (short)r.Word();
        item.cy = (short)r.Word();
        item.id = r.Word();
        item.className = r.NameOrOrdinal(&item.classOrdinal);
        WORD textOrdinal;
        item.text = r.NameOrOrdinal(&textOrdinal);
        r.pos += r.Word(); /* creation data */
        t.items.push_back(item);
    }
    return t;
}

Resources Load()
{
    Resources resources;
    std::ifstream file(STANDIN_RESOURCE_FILE, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (bytes.empty())
        Fault(std::string("cannot read the compiled resources ") + STANDIN_RESOURCE_FILE);
    Reader r{bytes, 0};
    while (r.Has(32)) {
        size_t entry = r.pos;
        DWORD dataSize = r.Dword();
        DWORD headerSize = r.Dword();
        WORD type, nameOrdinal;
        r.NameOrOrdinal(&type);
        std::u16string name = r.NameOrOrdinal(&nameOrdinal);
        r.AlignDword();
        r.Dword(); /* data version */
        r.Word();  /* memory flags */
        WORD language = r.Word();
        size_t data = entry + headerSize;
        if (dataSize > 0) {
            resources.typesAndLanguages.push_back({type, language});
            if (type == kDialogType)
                resources.dialogs[std::string(name.begin(), name.end())] =
                    ParseDialog(bytes, data, language);
        }
        r.pos = data + dataSize;
        r.AlignDword();
    }
    return resources;
}

const Resources& Loaded()
{
    static const Resources resources = Load();
    return resources;
}

std::string Convert(const char* to, const char* from, const std::string& in)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1)
        return "";
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = &out[0];
    size_t dstLeft = out.size();
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

} // namespace

const DialogTemplate* FindDialog(const std::string& name)
{
    auto found = Loaded().dialogs.find(name);
    return found == Loaded().dialogs.end() ? nullptr : &found->second;
}

bool HasResource(WORD type, WORD language)
{
    for (auto& entry : Loaded().typesAndLanguages)
        if (entry.first == type && entry.second == language)
            return true;
    return false;
}

std::string ToShiftJis(const std::u16string& text)
{
    std::string utf16(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return Convert("CP932", "UTF-16LE", utf16);
}

std::string FromShiftJisToUtf8(const std::string& bytes)
{
    return Convert("UTF-8", "CP932", bytes);
}

} // namespace sim
