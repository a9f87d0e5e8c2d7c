#include "edit_model.h"

#include <algorithm>

bool IsShiftJisLead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

size_t CountCharacters(const std::string& text)
{
    size_t count = 0;
    for (size_t i = 0; i < text.size(); i++, count++) {
        if (IsShiftJisLead((unsigned char)text[i]) && i + 1 < text.size())
            i++;
    }
    return count;
}

void EditModel::SetText(const std::string& text)
{
    text_ = text;
    characters_ = CountCharacters(text_);
    selStart_ = selEnd_ = 0;
    undo_.clear();
    pendingLead_ = -1;
}

void EditModel::SetSel(size_t start, size_t end)
{
    selStart_ = std::min(start, text_.size());
    selEnd_ = std::min(end, text_.size());
    if (selStart_ > selEnd_)
        std::swap(selStart_, selEnd_);
}

void EditModel::SetLimit(size_t characters) { limit_ = characters == 0 ? 0x7FFFFFFE : characters; }

void EditModel::ReplaceSelection(const std::string& with)
{
    std::string removed = text_.substr(selStart_, selEnd_ - selStart_);
    size_t removedChars = CountCharacters(removed);
    size_t addedChars = CountCharacters(with);
    /* A full box silently refuses what would not fit, as the real control does. */
    if (characters_ - removedChars + addedChars > limit_)
        return;
    undo_ = text_;
    text_.replace(selStart_, selEnd_ - selStart_, with);
    characters_ = characters_ - removedChars + addedChars;
    selStart_ = selEnd_ = selStart_ + with.size();
}

size_t EditModel::PreviousCharStart(size_t pos) const
{
    if (pos >= 2 && text_.compare(pos - 2, 2, "\r\n") == 0)
        return pos - 2;
    size_t start = 0;
    for (size_t i = 0; i < pos;) {
        start = i;
        i += (IsShiftJisLead((unsigned char)text_[i]) && i + 1 < pos) ? 2 : 1;
    }
    return start;
}

void EditModel::Backspace()
{
    if (selStart_ == selEnd_) {
        if (selStart_ == 0)
            return;
        selStart_ = PreviousCharStart(selStart_);
    }
    ReplaceSelection("");
}

void EditModel::Char(unsigned char code, std::string& clipboard)
{
    if (pendingLead_ >= 0) {
        std::string pair = {(char)pendingLead_, (char)code};
        pendingLead_ = -1;
        ReplaceSelection(pair);
        return;
    }
    if (IsShiftJisLead(code)) {
        pendingLead_ = code;
        return;
    }
    std::string selected = text_.substr(selStart_, selEnd_ - selStart_);
    switch (code) {
    case 0x01: /* select all */
        SetSel(0, text_.size());
        break;
    case 0x03: /* copy */
        if (!selected.empty())
            clipboard = selected;
        break;
    case 0x16: /* paste */
        ReplaceSelection(clipboard);
        break;
    case 0x18: /* cut */
        if (!selected.empty()) {
            clipboard = selected;
            ReplaceSelection("");
        }
        break;
    case 0x1A: /* undo */
        std::swap(text_, undo_);
        characters_ = CountCharacters(text_);
        selStart_ = selEnd_ = text_.size();
        break;
    case 0x08:
        Backspace();
        break;
    case '\r':
    case '\n':
        ReplaceSelection("\r\n");
        break;
    case '\t':
        ReplaceSelection("\t");
        break;
    default:
        if (code >= 0x20 && code != 0x7F)
            ReplaceSelection(std::string(1, (char)code));
        break;
    }
}
