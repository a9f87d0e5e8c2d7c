#ifndef CHARGEVIEW_STANDIN_EDIT_MODEL_H
#define CHARGEVIEW_STANDIN_EDIT_MODEL_H

/* A multi-line edit box as a typist sees it: each WM_CHAR acts at the caret, in place of the
   selection, as the key would. Text is kept in Shift-JIS; positions are byte offsets. */

#include <cstddef>
#include <string>

class EditModel {
  public:
    static constexpr size_t kDefaultLimit = 30000;

    void Char(unsigned char code, std::string& clipboard);
    void SetText(const std::string& text);
    void SetSel(size_t start, size_t end);
    void SetLimit(size_t characters);

    const std::string& Text() const { return text_; }
    size_t SelStart() const { return selStart_; }
    size_t SelEnd() const { return selEnd_; }
    size_t Limit() const { return limit_; }
    size_t Characters() const { return characters_; }

  private:
    void ReplaceSelection(const std::string& with);
    void Backspace();
    size_t PreviousCharStart(size_t pos) const;

    std::string text_;
    std::string undo_;
    size_t selStart_ = 0, selEnd_ = 0;
    size_t limit_ = kDefaultLimit;
    size_t characters_ = 0;
    int pendingLead_ = -1;
};

/* Shift-JIS lead bytes start a two-byte character. */
bool IsShiftJisLead(unsigned char byte);
size_t CountCharacters(const std::string& text);

#endif
