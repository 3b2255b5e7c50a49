// The application object's open step.
#include "application.h"

namespace app {

void Application::open()
{
    gs_appname = L"Korvena";
    gs_dbname = L"mirvox";
}

}  // namespace app
