// The program's entry: hands the terminal to pk and runs the main loop.
#include "app/main_loop.h"
#include "files/standard_input.h"
#include "panel/panel.h"
#include "panel/terminal_console.h"

int main(int argc, char** argv) {
    pk::ReserveStandardDescriptors();  // before anything opens a descriptor
    pk::ChooseTerminalLocale();  // before loading: text widths follow it
    pk::fullconsole(pk::TerminalConsole());
    return pk::MainLoop(argc, argv);
}
