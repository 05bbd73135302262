#include "shell/lifecycle.h"
#include "shell/mainwindow.h"

int main(int argc, char **argv)
{
    return lifecycle::run(argc, argv, lifecycle::buildMainWindow,
                          lifecycle::Arguments::FilesToOpen);
}
