#include "app/gui/launcher.h"

int main(int argc, char* argv[])
{
    return zov::gui::runZov(argc, argv);
}
