// The program's entry: build the window layer, run the main window until the
// user closes it, and end.
#include <windows.h>

#include <cstdlib>

#include "ui/banner.h"
#include "ui/main_window.h"

namespace {

// Start-up hook, before any window exists; the program prepares nothing.
void onProgramStart() {}

// End hook, run once as the process exits; there is nothing to save.
void onProgramEnd() {}

// The program's main routine; the result is the exit status, always 0.
int programMain(HINSTANCE instance) {
    const WindowLayer layer(instance);
    onProgramStart();
    std::atexit(onProgramEnd);
    // Imaging and the banner's window class, for as long as a banner may exist.
    const BannerSupport banner(instance);
    loadMainWindow(layer);
    runMessageLoop();
    return 0;
}

}  // namespace

#if defined(__GLIBCXX__)
// libstdc++'s default terminate handler writes the demangled type of the
// exception to stderr, which a GUI program does not have, and links in the
// demangler for it (about 70 KB of a program of some 300). Ending the
// process the way it would anyway, without the message, keeps that out.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return programMain(instance); }
