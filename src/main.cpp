#include "shell/lifecycle.h"

int main(int argc, char **argv)
{
    return lifecycle::run(argc, argv);
}
