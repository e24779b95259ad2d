#pragma once
// The second phase of start-up: the main window and the first tiled preview.

namespace ui {
class Form1;
}

namespace AppModul {

// Shows the main window for StartFile or the collection folder. True when the window is up.
bool FirstView();

// The first view on a given main window (created here when it is not yet): show, centre, point
// the lists at StartFile or the collection folder, tile PicM over PicW and copy it to the clipboard.
bool OpenFirstView(ui::Form1& form);

// Releases the main window and its drop targets; called after the message loop, before OLE ends.
void EndProgram();

}  // namespace AppModul
