// The command interpreter: the command table and ExecuteCommand.
#pragma once

#include <cstdint>
#include <string_view>

namespace pk {

uint32_t ExecuteCommand();
uint32_t ParseHex(std::string_view text);

}  // namespace pk
