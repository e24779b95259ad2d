#include "forms/message_box.h"
#include "forms/popup_menu.h"
#include "forms/events.h"
namespace forms {
void SetPrompter(Prompter*) {}
void SetMenuPresenter(MenuPresenter*) {}
int RunMessageLoop() { return 0; }
}
