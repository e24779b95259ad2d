#include "app/app_modul.h"

namespace AppModul {

bool Main()
{
    return false;
}

}  // namespace AppModul
