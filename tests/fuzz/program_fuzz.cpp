// The whole program on the in-memory console: random files, settings file
// and screen size, then keys of the shared key table, broken key strings, clicks, wheel
// turns, pastes, the clipboard, commands and resizes. Whenever pk waits for input on
// its main screen the data area must be what the rules draw; at the end pk
// has written its settings. Shell commands find no shell.
#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>

#include "app/main_loop.h"
#include "app/profile.h"
#include "files/program_state.h"
#include "panel/panel.h"
#include "screen_reference.h"
#include "key_cases.h"

namespace {

// Checks the data area whenever pk asks for input, except under the help
// screen, which covers it.
class CheckedConsole : public pk::MemoryConsole {
public:
    using MemoryConsole::MemoryConsole;
    bool readInput(pk::InputRecord& record) override {
        if (rowText(1).find("Help for") == std::string::npos) pkfuzz::CheckDataArea(*this);
        return MemoryConsole::readInput(record);
    }
};

const std::vector<pktest::KeyCase> kKeys = pktest::KeyCases();
const char* const kCommands[] = {"f ", "/", "'", "rf", "case ", "down ", "up ", "left ", "right ", "top", "bottom",
                                 "", "view", "tabs", "xlat ", "next", "?", "=", "help", "dos ", "pe ", "end", "z"};

std::string Settings(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) return in.ConsumeRandomLengthString(200);
    std::string find = in.ConsumeRandomLengthString(20);
    std::string hex = pk::ProfileEncodeStruct(std::span(reinterpret_cast<const uint8_t*>(find.data()), find.size()));
    return "[common]\nflen=" + std::to_string(find.size()) + "\nfind=" + hex + "\ntabs=" + (in.ConsumeBool() ? "1" : "0") + "\n";
}

void Event(FuzzedDataProvider& in, CheckedConsole& con) {
    switch (in.ConsumeIntegralInRange(0, 8)) {
        case 0: return con.text(kKeys[in.ConsumeIntegralInRange<size_t>(0, kKeys.size() - 1)].bytes);
        case 1: return con.text(in.ConsumeRandomLengthString(8));
        case 2: {
            int y = in.ConsumeBool() ? con.rows() - 1 : in.ConsumeIntegralInRange(0, con.rows() - 1);
            uint32_t flags = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange(0, 15);  // wheels among them
            uint32_t buttons = flags ? in.ConsumeIntegral<uint32_t>() : in.ConsumeIntegralInRange(0, 7);
            return con.mouse(in.ConsumeIntegralInRange(0, con.cols() - 1), y, buttons, flags);
        }
        case 3: return con.paste(in.ConsumeRandomLengthString(300));
        case 5: return con.resizeEvent(in.ConsumeIntegralInRange(80, 200), in.ConsumeIntegralInRange(24, 60));
        case 4:
            con.clipboard = in.ConsumeRandomLengthString(300);
            return con.text("\x16");
        default: {
            con.text("\033");
            return con.text(in.PickValueInArray(kCommands) + in.ConsumeRandomLengthString(16) + "\r");
        }
    }
}

// The files' folder, in memory when the machine has a /dev/shm.
pktest::TempDir& Dir() {
    if (std::filesystem::is_directory("/dev/shm")) setenv("TMPDIR", "/dev/shm", 1);
    static pktest::TempDir dir;
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("APPDATA", (Dir() / "appdata").c_str(), 1);
    return pkfuzz::Isolate(Dir());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<std::string> args = {"pk"};
    for (const char* name : {"a.txt", "b.txt", "c.bin"}) {
        std::string bytes = in.ConsumeRandomLengthString(3000);
        Dir().write(name, bytes.empty() ? "x" : bytes);
        if (args.size() == 1 || in.ConsumeBool()) args.push_back(name);
    }
    Dir().write("appdata/pk/pk.ini", Settings(in));
    CheckedConsole console(in.ConsumeIntegralInRange(80, 200), in.ConsumeIntegralInRange(24, 60));
    for (int events = 0; events < 40 && in.remaining_bytes() > 0; ++events) Event(in, console);

    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pk::fullconsole(&console);
    pkfuzz::Check(pk::MainLoop(int(args.size()), argv.data()) == 0, "settings written");
    pk::fullconsole(nullptr);
    return 0;
}
