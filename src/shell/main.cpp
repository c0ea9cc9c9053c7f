// The language runtime's entry hands over to the shell at once.
#include "shell/shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ShellEntry();
}
