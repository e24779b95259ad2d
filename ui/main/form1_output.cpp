// What leaves the program besides the clipboard: the tiling saved as a file, the desktop background.

#include "ui/main/form1.h"

namespace ui {

void Form1::mnuSaveTiling_Click()
{
}

void Form1::mnuWallpaper_Click()
{
}

}  // namespace ui
