// The text box model's answer for a byte stream: reads the bytes of a file, drops the ones the
// reader never delivers, types the rest into the model as the reader types them into the box
// (limit lifted, as the main window does) and writes the model's text, raw Shift-JIS, to stdout.
//
//   edit_model_replay FILE > TEXT
#include "edit_model.h"

#include <cstdio>
#include <string>

static bool IsEditCommand(unsigned char byte)
{
    return byte == 0x01 || byte == 0x03 || byte == 0x16 || byte == 0x18 || byte == 0x1A;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: edit_model_replay FILE\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (!in) {
        perror(argv[1]);
        return 1;
    }
    EditModel box;
    box.SetLimit(0);
    std::string clipboard;
    int byte;
    while ((byte = fgetc(in)) != EOF) {
        if (!IsEditCommand((unsigned char)byte))
            box.Char((unsigned char)byte, clipboard);
    }
    fclose(in);
    fwrite(box.Text().data(), 1, box.Text().size(), stdout);
    return 0;
}
