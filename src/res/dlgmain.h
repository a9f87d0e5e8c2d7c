#ifndef CHARGEVIEW_DLGMAIN_H
#define CHARGEVIEW_DLGMAIN_H

/* The main window's layout, in dialog units. The resource script builds the template from these
   and the tests read the compiled template back against them, so they are the one definition.
   Kept to plain #defines: the resource compiler reads this file too. Texts are UTF-8 here. */

#define UI_FONT_FACE "ＭＳ ゴシック"

#define DLGMAIN_NAME "DLGMAIN"
#define DLGMAIN_STYLE 0x80CA00C0
#define DLGMAIN_RECT 0, 0, 256, 168
#define DLGMAIN_CAPTION "充電結果表示"
#define DLGMAIN_FONT_SIZE 9

#define RECVTEXT_STYLE 0x508111C4
#define RECVTEXT_RECT 66, 7, 177, 146

#define START_TEXT "受信開始"
#define START_STYLE 0x50010000
#define START_RECT 13, 58, 50, 19

#define CLEAR_TEXT "画面消去"
#define CLEAR_STYLE 0x50010000
#define CLEAR_RECT 13, 91, 50, 18

#define EXIT_TEXT "終了"
#define EXIT_STYLE 0x50010000
#define EXIT_RECT 13, 125, 50, 17

#define PORTNAME_STYLE 0x50020000
#define PORTNAME_RECT 17, 27, 41, 16

#endif
