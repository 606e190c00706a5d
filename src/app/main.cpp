// The program's entry: hands the terminal to pk, when there is one, and
// runs the main loop (without one it copies the files to standard output).
#include "app/copy_out.h"
#include "app/main_loop.h"
#include "files/standard_input.h"
#include "panel/panel.h"
#include "panel/terminal_console.h"

int main(int argc, char** argv) {
    pk::ReserveStandardDescriptors();  // before anything opens a descriptor
    pk::ChooseTerminalLocale();  // before loading: text widths follow it
    pk::fullconsole(pk::TerminalOpens() ? pk::TerminalConsole() : nullptr);
    return pk::MainLoop(argc, argv);
}
