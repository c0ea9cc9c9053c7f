// The process entry. The runtime is linked without the C runtime's start-up
// code (-nostartfiles): it has no static constructors, no thread-local data
// and no use for argc/argv, and the few C functions it calls come from
// msvcrt.dll, which sets itself up when it loads. Windows calls this function
// first; the linker looks it up by this name for a GUI program. The shell
// reads the command line itself and ends the process, so nothing returns.
#include "shell/shell.h"

#if defined(__i386__)
// Windows enters with the stack aligned to 4 bytes only; the compiler's code
// expects the 16 that a call from the C runtime's start-up would give.
#define GLIMMORA_ENTRY_ALIGNMENT __attribute__((force_align_arg_pointer))
#else
#define GLIMMORA_ENTRY_ALIGNMENT
#endif

extern "C" GLIMMORA_ENTRY_ALIGNMENT void WinMainCRTStartup()
{
    ShellEntry();
}
