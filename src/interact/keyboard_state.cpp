// The keyboard loop's state that lasts for the whole run, and its reset.
#include "interact/keyboard_state.h"

namespace pk {

KeyboardState keyboard;

void ResetKeyboard() { keyboard = KeyboardState{}; }

}  // namespace pk
